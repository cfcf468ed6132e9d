// Cartridge header decoders: the fixed-value and logo tests, the text fields,
// the maker lookup and the header complement.
#include "CGbaHeaderDecoder.h"

#include "MakerEntry.h"

#include <algorithm>
#include <array>

namespace {

// The boot logo every licensed cartridge carries at 0x04-0x9F.
constexpr std::array<std::uint8_t, 156> kBootLogo = {
    0x24, 0xFF, 0xAE, 0x51, 0x69, 0x9A, 0xA2, 0x21, 0x3D, 0x84, 0x82, 0x0A, 0x84, 0xE4, 0x09, 0xAD,
    0x11, 0x24, 0x8B, 0x98, 0xC0, 0x81, 0x7F, 0x21, 0xA3, 0x52, 0xBE, 0x19, 0x93, 0x09, 0xCE, 0x20,
    0x10, 0x46, 0x4A, 0x4A, 0xF8, 0x27, 0x31, 0xEC, 0x58, 0xC7, 0xE8, 0x33, 0x82, 0xE3, 0xCE, 0xBF,
    0x85, 0xF4, 0xDF, 0x94, 0xCE, 0x4B, 0x09, 0xC1, 0x94, 0x56, 0x8A, 0xC0, 0x13, 0x72, 0xA7, 0xFC,
    0x9F, 0x84, 0x4D, 0x73, 0xA3, 0xCA, 0x9A, 0x61, 0x58, 0x97, 0xA3, 0x27, 0xFC, 0x03, 0x98, 0x76,
    0x23, 0x1D, 0xC7, 0x61, 0x03, 0x04, 0xAE, 0x56, 0xBF, 0x38, 0x84, 0x00, 0x40, 0xA7, 0x0E, 0xFD,
    0xFF, 0x52, 0xFE, 0x03, 0x6F, 0x95, 0x30, 0xF1, 0x97, 0xFB, 0xC0, 0x85, 0x60, 0xD6, 0x80, 0x25,
    0xA9, 0x63, 0xBE, 0x03, 0x01, 0x4E, 0x38, 0xE2, 0xF9, 0xA2, 0x34, 0xFF, 0xBB, 0x3E, 0x03, 0x44,
    0x78, 0x00, 0x90, 0xCB, 0x88, 0x11, 0x3A, 0x94, 0x65, 0xC0, 0x7C, 0x63, 0x87, 0xF0, 0x3C, 0xAF,
    0xD6, 0x25, 0xE4, 0x8B, 0x38, 0x0A, 0xAC, 0x72, 0x21, 0xD4, 0xF8, 0x07,
};
static_assert(kBootLogo.size() == HeaderOffset::LogoLast - HeaderOffset::LogoFirst + 1);

constexpr std::uint8_t kComplementSeed = 0x19;
constexpr const char* kUnknownCompany = "Unknown Company";
constexpr std::size_t kNameLength = HeaderOffset::NameLast - HeaderOffset::NameFirst + 1;

char NameChar(std::uint8_t byte) {
    return (byte < 0x20 || byte >= 0x80) ? ' ' : static_cast<char>(byte);
}

} // namespace

bool CGbaHeaderDecoder::CheckFixedValue(const CartridgeHeader& header) const {
    return header[HeaderOffset::FixedValue] == kFixedHeaderValue;
}

bool CGbaHeaderDecoder::CheckLogo(const CartridgeHeader& header) const {
    // std::equal stops at the first differing byte, so a header without the
    // logo costs a comparison or two.
    return std::equal(kBootLogo.begin(), kBootLogo.end(), header.begin() + HeaderOffset::LogoFirst);
}

std::string CGbaHeaderDecoder::GetInternalName(const CartridgeHeader& header, bool trim) const {
    std::string name(kNameLength, ' ');
    for (std::size_t i = 0; i < kNameLength; ++i) {
        name[i] = NameChar(header[HeaderOffset::NameFirst + i]);
    }
    if (trim) {
        name.erase(name.find_last_not_of(' ') + 1); // npos + 1 == 0 clears an all-space name
    }
    return name;
}

const char* CGbaHeaderDecoder::RegionSuffix(std::uint8_t regionChar) {
    switch (regionChar) {
    case 'D':
    case 'F':
        return "NOE";
    case 'E':
        return "USA";
    case 'G':
    case 'J':
        return "JPN";
    case 'P':
        return "EUR/EUU/NOE";
    case 'X':
    case 'Y':
        return "EUU";
    default:
        return "???";
    }
}

std::string CGbaHeaderDecoder::GetSerial(const CartridgeHeader& header) const {
    std::string serial = "AGB-";
    // The game code is formatted as a C string: a zero byte ends it, and the
    // region suffix follows straight after.
    std::string code;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint8_t c = header[HeaderOffset::GameCode + i];
        if (c == 0) {
            break;
        }
        code += static_cast<char>(c);
    }
    if (code.size() == 4) {
        code += '-';
    }
    serial += code;
    serial += RegionSuffix(header[HeaderOffset::GameCode + 3]);
    return serial;
}

std::uint8_t CGbaHeaderDecoder::GetVersion(const CartridgeHeader& header) const {
    return header[HeaderOffset::Version];
}

std::uint32_t CGbaHeaderDecoder::GetMakerCode(const CartridgeHeader& header) const {
    return header[HeaderOffset::MakerHigh] * 256u + header[HeaderOffset::MakerLow];
}

std::string CGbaHeaderDecoder::GetMakerName(const CartridgeHeader& header) const {
    const std::uint32_t code = GetMakerCode(header);
    if (code == 0) {
        return kUnknownCompany;
    }
    for (const MakerEntry& row : g_makerTable) {
        if (row.code == code) {
            return row.name;
        }
    }
    return kUnknownCompany;
}

std::uint8_t CGbaHeaderDecoder::GetMainUnitCode(const CartridgeHeader& header) const {
    return header[HeaderOffset::MainUnitCode];
}

std::uint8_t CGbaHeaderDecoder::GetDeviceType(const CartridgeHeader& header) const {
    return header[HeaderOffset::DeviceType];
}

std::uint8_t CGbaHeaderDecoder::GetComplement(const CartridgeHeader& header) const {
    return header[HeaderOffset::Complement];
}

std::uint8_t CGbaHeaderDecoder::CalcComplement(const CartridgeHeader& header) const {
    std::uint8_t sum = kComplementSeed;
    for (std::size_t offset = HeaderOffset::NameFirst; offset <= HeaderOffset::Version; ++offset) {
        sum = static_cast<std::uint8_t>(sum + header[offset]);
    }
    return static_cast<std::uint8_t>(0x100 - sum);
}
