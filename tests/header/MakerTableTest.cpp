// The maker table's shape and contents.
#include "header/CGbaHeaderDecoder.h"
#include "header/MakerEntry.h"

#include <gtest/gtest.h>
#include <set>

namespace {
std::uint32_t Code(const char* two) {
    return static_cast<std::uint8_t>(two[0]) * 256u + static_cast<std::uint8_t>(two[1]);
}
} // namespace

TEST(MakerTable, HasExactly157UniqueRowsInOrder) {
    ASSERT_EQ(g_makerTable.size(), 157u);
    std::set<std::uint32_t> codes;
    for (const MakerEntry& row : g_makerTable) {
        EXPECT_TRUE(codes.insert(row.code).second) << row.name;
        EXPECT_FALSE(row.name.empty());
    }
    EXPECT_EQ(g_makerTable.front().code, Code("5H"));
    EXPECT_EQ(g_makerTable.front().name, "3DO");
    EXPECT_EQ(g_makerTable[96].code, Code("01"));
    EXPECT_EQ(g_makerTable[96].name, "Nintendo");
    EXPECT_EQ(g_makerTable[97].code, 0x3024u);
    EXPECT_EQ(g_makerTable.back().code, Code("1H"));
    EXPECT_EQ(g_makerTable.back().name, "Yojigen");
}

TEST(MakerTable, NamesAreWindows1252Bytes) {
    EXPECT_EQ(g_makerTable[84].name, std::string("Micro\xEF"
                                                 "ds"));
    EXPECT_EQ(g_makerTable[84].name.size(), 8u);
    EXPECT_EQ(g_makerTable[87].name, std::string("M\xB2TO"));
    EXPECT_EQ(g_makerTable[87].name.size(), 4u);
}

TEST(MakerTable, EveryRowIsFoundThroughItsHeaderCode) {
    const CGbaHeaderDecoder decoder;
    for (const MakerEntry& row : g_makerTable) {
        CartridgeHeader header{};
        header[0xB0] = static_cast<std::uint8_t>(row.code >> 8);
        header[0xB1] = static_cast<std::uint8_t>(row.code & 0xFF);
        EXPECT_EQ(decoder.GetMakerName(header), row.name);
    }
}
