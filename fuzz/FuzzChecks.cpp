// The invariants behind both fuzz targets.
#include "FuzzChecks.h"

#include "header/CGbaHeaderDecoder.h"
#include "romio/CRomLoader.h"
#include "scan/CRomEntry.h"
#include "ui/RomDetails.h"
#include "ui/TextConversion.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <string_view>

namespace fuzz_checks {

namespace {

constexpr std::size_t kNameLength = 12;

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool IsUpperHexByteText(std::string_view text) {
    return text.size() == 3 && std::isxdigit(static_cast<unsigned char>(text[0])) &&
           std::isxdigit(static_cast<unsigned char>(text[1])) && text[2] == 'h' &&
           std::none_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'f'; });
}

void CheckInternalName(const CGbaHeaderDecoder& decoder, const CartridgeHeader& header) {
    const std::string whole = decoder.GetInternalName(header, false);
    QB_FUZZ_REQUIRE(whole.size() == kNameLength);
    for (std::size_t i = 0; i < kNameLength; ++i) {
        const auto shown = static_cast<unsigned char>(whole[i]);
        QB_FUZZ_REQUIRE(shown >= 0x20 && shown <= 0x7F);
        // Control and 8-bit bytes read as spaces, everything else as itself.
        const std::uint8_t stored = header[HeaderOffset::NameFirst + i];
        const bool printable = stored >= 0x20 && stored < 0x80;
        QB_FUZZ_REQUIRE(shown == (printable ? stored : ' '));
    }
    const std::string trimmed = decoder.GetInternalName(header, true);
    QB_FUZZ_REQUIRE(whole.compare(0, trimmed.size(), trimmed) == 0);
    QB_FUZZ_REQUIRE(trimmed.empty() || trimmed.back() != ' ');
    QB_FUZZ_REQUIRE(whole.find_first_not_of(' ', trimmed.size()) == std::string::npos);
}

void CheckSerial(const CGbaHeaderDecoder& decoder, const CartridgeHeader& header) {
    const std::string serial = decoder.GetSerial(header);
    const std::string_view suffix =
        CGbaHeaderDecoder::RegionSuffix(header[HeaderOffset::GameCode + 3]);
    QB_FUZZ_REQUIRE(serial.rfind("AGB-", 0) == 0);
    QB_FUZZ_REQUIRE(EndsWith(serial, suffix));
    // The game code runs up to its first zero byte; the dash follows only a whole one.
    const std::string_view code(serial.data() + 4, serial.size() - 4 - suffix.size());
    if (code.size() == 5) {
        QB_FUZZ_REQUIRE(code[4] == '-');
    } else {
        QB_FUZZ_REQUIRE(code.size() <= 3);
    }
    const std::size_t codeChars = std::min<std::size_t>(code.size(), 4);
    for (std::size_t i = 0; i < codeChars; ++i) {
        QB_FUZZ_REQUIRE(code[i] != '\0');
        QB_FUZZ_REQUIRE(static_cast<std::uint8_t>(code[i]) == header[HeaderOffset::GameCode + i]);
    }
    if (codeChars < 4) {
        QB_FUZZ_REQUIRE(header[HeaderOffset::GameCode + codeChars] == 0);
    }
}

void CheckComplement(const CGbaHeaderDecoder& decoder, const CartridgeHeader& header) {
    unsigned sum = 0x19;
    for (std::size_t offset = HeaderOffset::NameFirst; offset <= HeaderOffset::Version; ++offset) {
        sum += header[offset];
    }
    QB_FUZZ_REQUIRE((sum + decoder.CalcComplement(header)) % 256 == 0);
    QB_FUZZ_REQUIRE(decoder.GetComplement(header) == header[HeaderOffset::Complement]);
}

void CheckLogoReadsOnlyTheLogo(const CGbaHeaderDecoder& decoder, const CartridgeHeader& header) {
    CartridgeHeader changed = header;
    changed[0] ^= 0xFF;
    changed[HeaderOffset::LogoLast + 1] ^= 0xFF;
    changed[HeaderOffset::Complement] ^= 0xFF;
    QB_FUZZ_REQUIRE(decoder.CheckLogo(changed) == decoder.CheckLogo(header));
}

void CheckUtf8(const std::string& cp1252Text) {
    QB_FUZZ_REQUIRE(IsValidUtf8(Cp1252ToUtf8(cp1252Text)));
}

void CheckSliceRoundTrip(const CRomEntry& entry) {
    CartridgeHeader target;
    target.fill(0x5A);
    entry.RestoreSlice(target);
    const std::size_t end = HeaderOffset::NameFirst + entry.GetSliceLength();
    for (std::size_t i = 0; i < target.size(); ++i) {
        if (i < HeaderOffset::NameFirst || i >= end) {
            QB_FUZZ_REQUIRE(target[i] == 0x5A);
        }
    }
}

void CheckEmptyDetails(const RomDetails& details) {
    for (const std::string* text :
         {&details.m_strName, &details.m_strVersion, &details.m_strSerial, &details.m_strMaker,
          &details.m_strRomSize, &details.m_strUnitCode, &details.m_strDeviceType,
          &details.m_strComplement, &details.m_strCrc32}) {
        QB_FUZZ_REQUIRE(text->empty());
    }
    QB_FUZZ_REQUIRE(!details.m_bHighlightComplement);
    QB_FUZZ_REQUIRE(!details.m_bLogoError);
}

void CheckFilledDetails(const CRomEntry& entry, const CartridgeHeader& header,
                        const RomDetails& details) {
    QB_FUZZ_REQUIRE(details.m_strName.size() <= kNameLength);
    QB_FUZZ_REQUIRE(details.m_strVersion == "1." + std::to_string(header[HeaderOffset::Version]));
    QB_FUZZ_REQUIRE(details.m_strSerial.rfind("AGB-", 0) == 0);
    QB_FUZZ_REQUIRE(!details.m_strMaker.empty());
    QB_FUZZ_REQUIRE(EndsWith(details.m_strRomSize, " MByte"));
    QB_FUZZ_REQUIRE(IsUpperHexByteText(details.m_strUnitCode));
    QB_FUZZ_REQUIRE(IsUpperHexByteText(details.m_strDeviceType));

    const bool complementError = (entry.m_dwFlags & ROMF_COMPLEMENT_ERROR) != 0;
    QB_FUZZ_REQUIRE(details.m_bHighlightComplement == complementError);
    if (complementError) {
        const std::string_view text = details.m_strComplement;
        QB_FUZZ_REQUIRE(text.size() == 9 && IsUpperHexByteText(text.substr(0, 3)) &&
                        text.substr(3, 2) == " (" && IsUpperHexByteText(text.substr(5, 3)) &&
                        text[8] == ')');
    } else {
        QB_FUZZ_REQUIRE(IsUpperHexByteText(details.m_strComplement));
    }
    QB_FUZZ_REQUIRE(details.m_bLogoError == ((entry.m_dwFlags & ROMF_LOGO_ERROR) != 0));
    if (entry.m_dwCrc32 == 0) {
        QB_FUZZ_REQUIRE(details.m_strCrc32 == "N/A");
    } else {
        QB_FUZZ_REQUIRE(details.m_strCrc32.size() == 9 && details.m_strCrc32.back() == 'h');
    }
}

} // namespace

void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "fuzz invariant broken at %s:%d: %s\n", file, line, what);
    std::fflush(stderr);
    __builtin_trap();
}

void CheckDecoders(const CGbaHeaderDecoder& decoder, const CartridgeHeader& header) {
    QB_FUZZ_REQUIRE(decoder.CheckFixedValue(header) ==
                    (header[HeaderOffset::FixedValue] == kFixedHeaderValue));
    CheckLogoReadsOnlyTheLogo(decoder, header);
    CheckInternalName(decoder, header);
    CheckSerial(decoder, header);
    CheckComplement(decoder, header);
    QB_FUZZ_REQUIRE(decoder.GetMakerCode(header) ==
                    header[HeaderOffset::MakerHigh] * 256u + header[HeaderOffset::MakerLow]);
    const std::string maker = decoder.GetMakerName(header);
    QB_FUZZ_REQUIRE(!maker.empty());
    CheckUtf8(maker);
    QB_FUZZ_REQUIRE(decoder.GetVersion(header) == header[HeaderOffset::Version]);
    QB_FUZZ_REQUIRE(decoder.GetMainUnitCode(header) == header[HeaderOffset::MainUnitCode]);
    QB_FUZZ_REQUIRE(decoder.GetDeviceType(header) == header[HeaderOffset::DeviceType]);
}

void CheckEntryDetails(const CRomEntry& entry) {
    CheckSliceRoundTrip(entry);
    CartridgeHeader header{};
    entry.RestoreSlice(header);

    const RomDetails details = ComputeRomDetails(entry);
    if (header[HeaderOffset::FixedValue] != kFixedHeaderValue) {
        CheckEmptyDetails(details);
    } else {
        CheckFilledDetails(entry, header, details);
    }
    for (const std::string* text :
         {&details.m_strName, &details.m_strVersion, &details.m_strSerial, &details.m_strMaker,
          &details.m_strRomSize, &details.m_strUnitCode, &details.m_strDeviceType,
          &details.m_strComplement, &details.m_strCrc32}) {
        CheckUtf8(*text);
    }

    const std::string text = FormatRomDetailsText(entry);
    QB_FUZZ_REQUIRE(IsValidUtf8(text));
    QB_FUZZ_REQUIRE(
        EndsWith(text, details.m_bLogoError ? "Logo Error: yes\n" : "Logo Error: no\n"));
}

void CheckExtension(const std::string& name) {
    const std::string ext = CRomLoader::GetExtension(name);
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos) {
        QB_FUZZ_REQUIRE(ext.empty());
        return;
    }
    QB_FUZZ_REQUIRE(ext.size() == name.size() - dot - 1);
    QB_FUZZ_REQUIRE(ext.find('.') == std::string::npos);
    for (std::size_t i = 0; i < ext.size(); ++i) {
        const char original = name[dot + 1 + i];
        const bool lower = original >= 'a' && original <= 'z';
        QB_FUZZ_REQUIRE(ext[i] == (lower ? static_cast<char>(original - 'a' + 'A') : original));
    }
}

} // namespace fuzz_checks
