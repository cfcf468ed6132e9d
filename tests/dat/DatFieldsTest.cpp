// The single-field checks both DAT forms share.
#include "dat/DatFields.h"

#include <gtest/gtest.h>

TEST(DatFields, SerialsNameTheirGameCodes) {
    const struct {
        std::string serial;
        std::vector<std::string> codes;
    } cases[] = {
        {"BJBJ", {"BJBJ"}},
        {"AGB-BJBJ", {"BJBJ"}},
        {"agb-BJBJ-EUR", {"BJBJ"}},
        {"BJBJ-EUR", {"BJBJ"}},
        {"AGB-AXVE-USA, AGB-AXVP-EUR,AGB-AXVE", {"AXVE", "AXVP"}},
        {"AGBJ", {"AGBJ"}},
        {"", {}},
        {"AGB", {}},
        {"BJB", {}},
        {"AGB-BJBJ-", {}},
        {"CGB-BJBJ-EUR", {}},
        {"AGB-BJ-J", {}},
        {"NTR-BJBJ-EUR-X", {}},
        {"BJ\xC3\x89", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SerialGameCodes(c.serial), c.codes) << c.serial;
    }
}

TEST(DatFields, Utf8IsCheckedWhole) {
    const struct {
        std::string text;
        bool valid;
    } cases[] = {
        {"", true},
        {"Pok\xC3\xA9mon \xE2\x80\x93 \xF0\x9F\x8E\xAE", true},
        {"\xF4\x8F\xBF\xBF", true},
        {"\x80", false},
        {"\xC3", false},
        {"\xC0\xAF", false},         // overlong "/"
        {"\xE0\x80\xAF", false},     // overlong
        {"\xED\xA0\x80", false},     // a surrogate
        {"\xF4\x90\x80\x80", false}, // above U+10FFFF
        {"\xF5\x80\x80\x80", false},
        {"a\xE2\x80", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsWellFormedUtf8(c.text), c.valid) << QuoteForMessage(c.text);
    }
}

TEST(DatFields, NumbersAreStrict) {
    EXPECT_EQ(ParseDatSize("18446744073709551615"), 18446744073709551615u);
    for (const char* bad : {"", "-1", "+1", " 1", "1 ", "0x10", "18446744073709551616"}) {
        EXPECT_FALSE(ParseDatSize(bad)) << bad;
    }
    EXPECT_EQ(ParseDatCrc("caF2E99f"), 0xCAF2E99Fu);
    for (const char* bad : {"", "caf2e99", "caf2e99f0", "caf2e9g9", "-af2e99f"}) {
        EXPECT_FALSE(ParseDatCrc(bad)) << bad;
    }
}

TEST(DatFields, MessagesQuoteHostileTextReadably) {
    EXPECT_EQ(QuoteForMessage("a\"\\\n\xFF"), "\"a\\x22\\x5C\\x0A\\xFF\"");
    EXPECT_EQ(QuoteForMessage(std::string(41, 'x')), "\"" + std::string(40, 'x') + "\"...");
}
