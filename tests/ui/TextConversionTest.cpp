// Windows-1252 and file-name conversion to UTF-8.
#include "ui/TextConversion.h"

#include <gtest/gtest.h>

TEST(Cp1252ToUtf8, MapsEveryByteToValidUtf8) {
    EXPECT_EQ(Cp1252ToUtf8("Micro\xEF"
                           "ds"),
              "Micro\xC3\xAF"
              "ds");
    EXPECT_EQ(Cp1252ToUtf8("M\xB2TO"), "M\xC2\xB2TO");
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC"); // euro sign
    EXPECT_EQ(Cp1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
    EXPECT_EQ(Cp1252ToUtf8("\x9F\xFF"), "\xC5\xB8\xC3\xBF");
    for (int byte = 0; byte < 256; ++byte) {
        EXPECT_TRUE(IsValidUtf8(Cp1252ToUtf8(std::string(1, static_cast<char>(byte))))) << byte;
    }
}

TEST(IsValidUtf8, RejectsMalformedSequences) {
    EXPECT_TRUE(IsValidUtf8("plain ascii"));
    EXPECT_TRUE(IsValidUtf8("\xC3\xA9t\xC3\xA9 \xF0\x9F\x8E\xAE"));
    EXPECT_FALSE(IsValidUtf8("\xC3"));             // cut short
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));         // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")); // past U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xE9t\xE9"));        // Latin-1
}

TEST(FileNameToUtf8, KeepsValidNamesAndReadsOthersAsWindows1252) {
    EXPECT_EQ(FileNameToUtf8("\xC3\xA9t\xC3\xA9.gba"), "\xC3\xA9t\xC3\xA9.gba");
    EXPECT_EQ(FileNameToUtf8("\xE9t\xE9.gba"), "\xC3\xA9t\xC3\xA9.gba");
}

TEST(PathToUtf8, ConvertsEachComponentOnItsOwn) {
    EXPECT_EQ(PathToUtf8("/roms/\xC3\xA9/\xE9.gba"), "/roms/\xC3\xA9/\xC3\xA9.gba");
    EXPECT_EQ(PathToUtf8("/"), "/");
    EXPECT_TRUE(IsValidUtf8(PathToUtf8("\xFF/\xFE/")));
}
