// The ROM Info panel's content for one entry: the fixed-value gate, the nine
// texts in their exact formats, the complement highlight and the logo tick.
#include "ui/RomDetails.h"
#include "scan/CRomEntry.h"
#include "tests/support/HeaderBuilder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace testing_support;
using ::testing::HasSubstr;

namespace {

struct EntryFixture {
    CartridgeHeader header = BuildHeader();
    std::uint64_t size = 8388608;
    std::uint32_t crc32 = 0;
    std::uint32_t flags = 0;
};

std::unique_ptr<CRomEntry> MakeEntry(const EntryFixture& fixture) {
    auto entry = std::make_unique<CRomEntry>(32);
    entry->StoreSlice(fixture.header);
    entry->m_strFileName = "game.gba";
    entry->m_dwSize = fixture.size;
    entry->m_dwCrc32 = fixture.crc32;
    entry->m_dwFlags = fixture.flags;
    return entry;
}

RomDetails DetailsOf(const EntryFixture& fixture) {
    return ComputeRomDetails(*MakeEntry(fixture));
}

RomDetails DetailsOfHeader(const HeaderFields& fields) {
    EntryFixture fixture;
    fixture.header = BuildHeader(fields);
    return DetailsOf(fixture);
}

std::string RomSizeOf(std::uint64_t size) {
    EntryFixture fixture;
    fixture.size = size;
    return DetailsOf(fixture).m_strRomSize;
}

std::string CrcTextOf(std::uint32_t crc) {
    EntryFixture fixture;
    fixture.crc32 = crc;
    return DetailsOf(fixture).m_strCrc32;
}

// `header` changed so that its stored complement is `stored` while its bytes
// call for `called`.
CartridgeHeader WithComplements(CartridgeHeader header, std::uint8_t stored, std::uint8_t called) {
    // Raising the sum by d lowers the called-for complement by d; 0xB5 is unused.
    const auto d = static_cast<std::uint8_t>(ReferenceComplement(header) - called);
    header[0xB5] = static_cast<std::uint8_t>(header[0xB5] + d);
    header[0xBD] = stored;
    return header;
}

void ExpectAllEmpty(const RomDetails& details) {
    EXPECT_EQ(details.m_strName, "");
    EXPECT_EQ(details.m_strVersion, "");
    EXPECT_EQ(details.m_strSerial, "");
    EXPECT_EQ(details.m_strMaker, "");
    EXPECT_EQ(details.m_strRomSize, "");
    EXPECT_EQ(details.m_strUnitCode, "");
    EXPECT_EQ(details.m_strDeviceType, "");
    EXPECT_EQ(details.m_strComplement, "");
    EXPECT_EQ(details.m_strCrc32, "");
    EXPECT_FALSE(details.m_bHighlightComplement);
    EXPECT_FALSE(details.m_bLogoError);
}

} // namespace

TEST(RomDetails, ValidHeaderFillsEveryField) {
    HeaderFields fields;
    fields.title = "ORBIT RACER";
    fields.gameCode = "QORE";
    fields.maker = "01";
    fields.version = 3;
    fields.unitCode = 0x00;
    fields.deviceType = 0x80;
    EntryFixture fixture;
    fixture.header = BuildHeader(fields);
    fixture.header = WithComplements(BuildHeader(fields), 0x3C, 0x3C);
    ASSERT_EQ(ReferenceComplement(fixture.header), 0x3C);
    fixture.size = 8388608;
    fixture.crc32 = 0xA1777E89;

    const RomDetails details = DetailsOf(fixture);

    EXPECT_EQ(details.m_strName, "ORBIT RACER");
    EXPECT_EQ(details.m_strVersion, "1.3");
    EXPECT_EQ(details.m_strSerial, "AGB-QORE-USA");
    EXPECT_EQ(details.m_strMaker, "Nintendo");
    EXPECT_EQ(details.m_strRomSize, "64 MBit = 8 MByte");
    EXPECT_EQ(details.m_strUnitCode, "00h");
    EXPECT_EQ(details.m_strDeviceType, "80h");
    EXPECT_EQ(details.m_strComplement, "3Ch");
    EXPECT_EQ(details.m_strCrc32, "A1777E89h");
    EXPECT_FALSE(details.m_bHighlightComplement);
    EXPECT_FALSE(details.m_bLogoError);
}

TEST(RomDetails, RomSizeCountsWholeMebibytesFirst) {
    EXPECT_EQ(RomSizeOf(8388608), "64 MBit = 8 MByte");
    EXPECT_EQ(RomSizeOf(1572864), "8 MBit = 1 MByte"); // not 12 MBit
    EXPECT_EQ(RomSizeOf(1048576), "8 MBit = 1 MByte");
    EXPECT_EQ(RomSizeOf(1048575), "0 MBit = 0 MByte");
    EXPECT_EQ(RomSizeOf(300), "0 MBit = 0 MByte");
    EXPECT_EQ(RomSizeOf(0), "0 MBit = 0 MByte");
    EXPECT_EQ(RomSizeOf(33554432), "256 MBit = 32 MByte");
    // Sizes past 4 GiB are not wrapped.
    EXPECT_EQ(RomSizeOf(std::uint64_t{1} << 32), "32768 MBit = 4096 MByte");
}

TEST(RomDetails, Crc32IsEightHexDigitsOrNA) {
    EXPECT_EQ(CrcTextOf(0x1A2B), "00001A2Bh");
    EXPECT_EQ(CrcTextOf(0xFFFFFFFF), "FFFFFFFFh");
    EXPECT_EQ(CrcTextOf(0xabcdef01), "ABCDEF01h");
    EXPECT_EQ(CrcTextOf(1), "00000001h");
    EXPECT_EQ(CrcTextOf(0), "N/A");
}

TEST(RomDetails, WrongComplementShowsStoredThenCalledForAndHighlights) {
    EntryFixture fixture;
    fixture.header = WithComplements(BuildHeader(), 0x1F, 0x2A);
    ASSERT_EQ(ReferenceComplement(fixture.header), 0x2A);
    fixture.flags = ROMF_COMPLEMENT_ERROR;

    const RomDetails flagged = DetailsOf(fixture);
    EXPECT_EQ(flagged.m_strComplement, "1Fh (2Ah)");
    EXPECT_TRUE(flagged.m_bHighlightComplement);
    EXPECT_FALSE(flagged.m_bLogoError);

    // The scan's flag decides, not a new comparison: without it, no brackets.
    fixture.flags = 0;
    const RomDetails unflagged = DetailsOf(fixture);
    EXPECT_EQ(unflagged.m_strComplement, "1Fh");
    EXPECT_FALSE(unflagged.m_bHighlightComplement);
}

TEST(RomDetails, ComplementBytesKeepTwoUpperCaseDigits) {
    EntryFixture fixture;
    fixture.header = WithComplements(BuildHeader(), 0x05, 0xE0);
    fixture.flags = ROMF_COMPLEMENT_ERROR;
    EXPECT_EQ(DetailsOf(fixture).m_strComplement, "05h (E0h)");
    fixture.header = WithComplements(BuildHeader(), 0x00, 0x00);
    fixture.flags = 0;
    EXPECT_EQ(DetailsOf(fixture).m_strComplement, "00h");
}

TEST(RomDetails, LogoFlagTicksTheBox) {
    EntryFixture fixture;
    fixture.flags = ROMF_LOGO_ERROR;
    const RomDetails logo = DetailsOf(fixture);
    EXPECT_TRUE(logo.m_bLogoError);
    EXPECT_FALSE(logo.m_bHighlightComplement);

    fixture.flags = ROMF_LOGO_ERROR | ROMF_COMPLEMENT_ERROR;
    const RomDetails both = DetailsOf(fixture);
    EXPECT_TRUE(both.m_bLogoError);
    EXPECT_TRUE(both.m_bHighlightComplement);
}

TEST(RomDetails, FailedFixedValueHidesEverythingEvenWithFlags) {
    for (const int fixed : {0x00, 0x95, 0x97, 0xFF}) {
        HeaderFields fields;
        fields.fixedValue = static_cast<std::uint8_t>(fixed);
        EntryFixture fixture;
        fixture.header = BuildHeader(fields);
        fixture.size = 8388608;
        fixture.crc32 = 0x1A2B;
        fixture.flags = ROMF_LOGO_ERROR | ROMF_COMPLEMENT_ERROR;
        SCOPED_TRACE(fixed);
        ExpectAllEmpty(DetailsOf(fixture));
    }
}

TEST(RomDetails, VersionIsOneDotTheUnsignedByte) {
    const auto version = [](std::uint8_t byte) {
        HeaderFields fields;
        fields.version = byte;
        return DetailsOfHeader(fields).m_strVersion;
    };
    EXPECT_EQ(version(0), "1.0");
    EXPECT_EQ(version(10), "1.10");
    EXPECT_EQ(version(127), "1.127");
    EXPECT_EQ(version(128), "1.128");
    EXPECT_EQ(version(255), "1.255");
}

TEST(RomDetails, UnitCodeAndDeviceTypeAreTwoUpperCaseHexDigits) {
    const auto codes = [](std::uint8_t unit, std::uint8_t device) {
        HeaderFields fields;
        fields.unitCode = unit;
        fields.deviceType = device;
        const RomDetails details = DetailsOfHeader(fields);
        return details.m_strUnitCode + "|" + details.m_strDeviceType;
    };
    EXPECT_EQ(codes(0x00, 0x00), "00h|00h");
    EXPECT_EQ(codes(0x0A, 0x80), "0Ah|80h");
    EXPECT_EQ(codes(0xFF, 0xAB), "FFh|ABh");
}

TEST(RomDetails, NameIsTrimmedAndSerialCarriesTheRegion) {
    HeaderFields fields;
    fields.title = " A B ";
    fields.gameCode = "QXYP";
    const RomDetails details = DetailsOfHeader(fields);
    EXPECT_EQ(details.m_strName, " A B");
    EXPECT_EQ(details.m_strSerial, "AGB-QXYP-EUR/EUU/NOE");

    fields.title = "";
    fields.gameCode = "QXYe";
    const RomDetails empty = DetailsOfHeader(fields);
    EXPECT_EQ(empty.m_strName, "");
    EXPECT_EQ(empty.m_strSerial, "AGB-QXYe-???");
}

TEST(RomDetails, MakerNameStaysWindows1252) {
    HeaderFields fields;
    fields.maker = "5X";
    EXPECT_EQ(DetailsOfHeader(fields).m_strMaker, "Micro\xEF"
                                                  "ds");
    fields.maker = "~~";
    EXPECT_EQ(DetailsOfHeader(fields).m_strMaker, "Unknown Company");
}

TEST(RomDetails, OnlyTheInformationBlockIsDecoded) {
    // The entry keeps 0xA0-0xBF only; whatever else the image held plays no part.
    CartridgeHeader header = BuildHeader();
    CartridgeHeader scrambled = header;
    for (std::size_t i = 0; i < 0xA0; ++i) {
        scrambled[i] = static_cast<std::uint8_t>(i * 13);
    }
    for (std::size_t i = 0xC0; i < scrambled.size(); ++i) {
        scrambled[i] = 0xFF;
    }
    EntryFixture plain;
    plain.header = header;
    EntryFixture other;
    other.header = scrambled;
    const RomDetails a = DetailsOf(plain);
    const RomDetails b = DetailsOf(other);
    EXPECT_EQ(a.m_strName, b.m_strName);
    EXPECT_EQ(a.m_strSerial, b.m_strSerial);
    EXPECT_EQ(a.m_strComplement, b.m_strComplement);
    EXPECT_EQ(a.m_bLogoError, b.m_bLogoError);
}

TEST(FormatRomDetailsText, ListsTheFieldsInScreenOrderAsUtf8) {
    HeaderFields fields;
    fields.title = "MOSS";
    fields.maker = "5X";
    EntryFixture fixture;
    fixture.header = WithComplements(BuildHeader(fields), 0x1F, 0x2A);
    fixture.size = 1572864;
    fixture.flags = ROMF_LOGO_ERROR | ROMF_COMPLEMENT_ERROR;
    auto entry = MakeEntry(fixture);
    entry->m_strFileName = "m\xF6ss.gba"; // not UTF-8: read as Windows-1252

    EXPECT_EQ(FormatRomDetailsText(*entry), "m\xC3\xB6ss.gba\n"
                                            "Internal Name: MOSS\n"
                                            "Version: 1.0\n"
                                            "Serial: AGB-AQBE-USA\n"
                                            "Maker: Micro\xC3\xAF"
                                            "ds\n"
                                            "ROM Size: 8 MBit = 1 MByte\n"
                                            "Main Unit Code: 00h\n"
                                            "Device Type: 00h\n"
                                            "Complement: 1Fh (2Ah)\n"
                                            "CRC32: N/A\n"
                                            "Logo Error: yes\n");
}

TEST(FormatRomDetailsText, FailedFixedValueLeavesTheValuesEmpty) {
    HeaderFields fields;
    fields.fixedValue = 0;
    EntryFixture fixture;
    fixture.header = BuildHeader(fields);
    fixture.flags = ROMF_LOGO_ERROR;

    const std::string text = FormatRomDetailsText(*MakeEntry(fixture));

    EXPECT_THAT(text, HasSubstr("\nInternal Name: \n"));
    EXPECT_THAT(text, HasSubstr("\nCRC32: \nLogo Error: no\n"));
}
