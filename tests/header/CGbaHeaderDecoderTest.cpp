// Header decoders against hand-built headers.
#include "header/CGbaHeaderDecoder.h"
#include "tests/support/HeaderBuilder.h"

#include <gtest/gtest.h>
#include <random>

using testing_support::BuildHeader;
using testing_support::HeaderFields;

namespace {

CartridgeHeader WithBytes(std::size_t offset, std::initializer_list<std::uint8_t> bytes,
                          CartridgeHeader header = BuildHeader()) {
    for (const std::uint8_t b : bytes) {
        header[offset++] = b;
    }
    return header;
}

const CGbaHeaderDecoder decoder;

} // namespace

TEST(FixedValue, OnlyByte0xB2Equal0x96Passes) {
    EXPECT_TRUE(decoder.CheckFixedValue(WithBytes(0xB2, {0x96})));
    for (const std::uint8_t other : std::initializer_list<std::uint8_t>{0x95, 0x97, 0x00, 0xFF}) {
        EXPECT_FALSE(decoder.CheckFixedValue(WithBytes(0xB2, {other}))) << int(other);
    }
    // Nothing else matters: an otherwise empty header with 0x96 passes.
    CartridgeHeader bare{};
    bare[0xB2] = 0x96;
    EXPECT_TRUE(decoder.CheckFixedValue(bare));
}

TEST(Logo, IntactLogoPassesAndAnyDamagedByteFails) {
    const CartridgeHeader good = BuildHeader();
    ASSERT_TRUE(decoder.CheckLogo(good));
    for (std::size_t offset = 0x04; offset <= 0x9F; ++offset) {
        CartridgeHeader damaged = good;
        damaged[offset] ^= 0x40;
        EXPECT_FALSE(decoder.CheckLogo(damaged)) << "offset " << offset;
    }
}

TEST(Logo, BytesOutsideTheLogoDoNotMatter) {
    CartridgeHeader header = BuildHeader();
    for (std::size_t offset : {0x00, 0x01, 0x02, 0x03}) {
        header[offset] = 0xFF;
    }
    for (std::size_t offset = 0xA0; offset < header.size(); ++offset) {
        header[offset] = static_cast<std::uint8_t>(offset);
    }
    EXPECT_TRUE(decoder.CheckLogo(header));
    EXPECT_FALSE(decoder.CheckLogo(CartridgeHeader{}));
}

TEST(InternalName, ZeroBytesBecomeSpacesAndTrimRemovesThem) {
    const CartridgeHeader empty = BuildHeader({.title = ""});
    EXPECT_EQ(decoder.GetInternalName(empty, false), std::string(12, ' '));
    EXPECT_EQ(decoder.GetInternalName(empty, true), "");

    const CartridgeHeader abc = BuildHeader({.title = "ABC"});
    EXPECT_EQ(decoder.GetInternalName(abc, false), "ABC         ");
    EXPECT_EQ(decoder.GetInternalName(abc, true), "ABC");
}

TEST(InternalName, KeepsLeadingAndInnerSpacesAndFiltersBytes) {
    EXPECT_EQ(decoder.GetInternalName(BuildHeader({.title = " MY  GAME"}), true), " MY  GAME");
    // 0x1F and 0x80-0xFF read as spaces; 0x20 and 0x7F pass unchanged.
    const CartridgeHeader mixed =
        WithBytes(0xA0, {'A', 0x1F, 0x20, 0x7F, 0x80, 0xFF, 0xEF, 'Z', 0x00, 0x0A, 'Q', 0x9D});
    EXPECT_EQ(decoder.GetInternalName(mixed, false), "A  \x7F   Z  Q ");
    EXPECT_EQ(decoder.GetInternalName(mixed, true), "A  \x7F   Z  Q");
    // Twelve characters without a terminator are all kept.
    EXPECT_EQ(decoder.GetInternalName(BuildHeader({.title = "sprite-hmosaic"}), true),
              "sprite-hmosa");
}

TEST(Serial, EveryRegionCharacterGivesItsSuffix) {
    const std::pair<char, const char*> cases[] = {
        {'D', "NOE"}, {'F', "NOE"}, {'E', "USA"}, {'G', "JPN"}, {'J', "JPN"}, {'P', "EUR/EUU/NOE"},
        {'X', "EUU"}, {'Y', "EUU"}, {'e', "???"}, {'p', "???"}, {'A', "???"}, {'1', "???"},
    };
    for (const auto& [region, suffix] : cases) {
        const std::string code = std::string("ABC") + region;
        EXPECT_EQ(decoder.GetSerial(BuildHeader({.gameCode = code})), "AGB-" + code + "-" + suffix)
            << region;
    }
}

TEST(Serial, ZeroByteEndsTheCodeAndTheSuffixStillFollows) {
    EXPECT_EQ(decoder.GetSerial(WithBytes(0xAC, {'A', 'B', 0x00, 'E'})), "AGB-ABUSA");
    EXPECT_EQ(decoder.GetSerial(WithBytes(0xAC, {0x00, 0x00, 0x00, 0x00})), "AGB-???");
    EXPECT_EQ(decoder.GetSerial(WithBytes(0xAC, {'A', 'B', 'C', 0x00})), "AGB-ABC???");
    // Code bytes are not filtered.
    EXPECT_EQ(decoder.GetSerial(WithBytes(0xAC, {0xEF, 0x01, '-', 'P'})),
              "AGB-\xEF\x01-P-EUR/EUU/NOE");
}

TEST(MakerCode, HighByteFirst) {
    EXPECT_EQ(decoder.GetMakerCode(WithBytes(0xB0, {'0', '1'})), 0x3031u);
    EXPECT_EQ(decoder.GetMakerCode(WithBytes(0xB0, {0x00, 0x00})), 0u);
    EXPECT_EQ(decoder.GetMakerCode(WithBytes(0xB0, {0xFF, 0xFE})), 0xFFFEu);
}

TEST(MakerName, LooksUpTheTable) {
    const std::pair<const char*, const char*> cases[] = {
        {"01", "Nintendo"},
        {"0$", "Vextor/Infocom"},
        {"1H", "Yojigen"},
        {"5H", "3DO"},
        {"5X", "Micro\xEF"
               "ds"},
        {"BL", "M\xB2TO"},
        {"5h", "Unknown Company"},
        {"00", "Unknown Company"},
        {"zz", "Unknown Company"},
    };
    for (const auto& [code, name] : cases) {
        EXPECT_EQ(decoder.GetMakerName(BuildHeader({.maker = code})), name) << code;
    }
    EXPECT_EQ(decoder.GetMakerName(WithBytes(0xB0, {0x00, 0x00})), "Unknown Company");
}

TEST(ByteFields, ReturnedUnsignedAndUnchanged) {
    const CartridgeHeader header = WithBytes(0xB3, {0xAB, 0xCD}, WithBytes(0xBC, {0xFF, 0x80}));
    EXPECT_EQ(decoder.GetMainUnitCode(header), 0xAB);
    EXPECT_EQ(decoder.GetDeviceType(header), 0xCD);
    EXPECT_EQ(decoder.GetVersion(header), 255);
    EXPECT_EQ(decoder.GetComplement(header), 0x80);
    EXPECT_EQ(decoder.GetVersion(WithBytes(0xBC, {0x00})), 0);
}

TEST(Complement, TwentyNineZeroBytesGiveE7) {
    CartridgeHeader header{};
    header[0xBD] = 0x55; // the stored complement is not part of the sum
    EXPECT_EQ(decoder.CalcComplement(header), 0xE7);
}

TEST(Complement, SumOfE7GivesZeroNotOverflow) {
    CartridgeHeader header{};
    header[0xA0] = 0xE7;
    EXPECT_EQ(decoder.CalcComplement(header), 0x00);
    header[0xA0] = 0xE6;
    EXPECT_EQ(decoder.CalcComplement(header), 0x01);
}

TEST(Complement, CoversExactly0xA0To0xBC) {
    const CartridgeHeader base{};
    for (std::size_t offset : {0x9F, 0xBD, 0xBE, 0xBF}) {
        CartridgeHeader header{};
        header[offset] = 0x11;
        EXPECT_EQ(decoder.CalcComplement(header), decoder.CalcComplement(base)) << offset;
    }
    for (std::size_t offset : {0xA0, 0xB2, 0xBC}) {
        CartridgeHeader header{};
        header[offset] = 0x01;
        EXPECT_EQ(decoder.CalcComplement(header), 0xE6) << offset;
    }
}

TEST(Complement, AgreesWithTheReferenceOnRandomHeaders) {
    std::mt19937 random(1234);
    for (int round = 0; round < 200; ++round) {
        CartridgeHeader header{};
        for (auto& byte : header) {
            byte = static_cast<std::uint8_t>(random());
        }
        EXPECT_EQ(decoder.CalcComplement(header), testing_support::ReferenceComplement(header));
    }
}
