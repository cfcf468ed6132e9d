// The details panel's content: the fixed-value gate, then each field formatted
// exactly as the panel shows it.
#include "RomDetails.h"

#include "TextConversion.h"
#include "header/CartridgeHeader.h"
#include "romio/CGbaRomLoader.h"
#include "scan/CRomEntry.h"

#include <cinttypes>
#include <cstdio>

namespace {

std::string Hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02Xh", value & 0xFFu);
    return text;
}

std::string RomSizeText(std::uint64_t size) {
    // Whole mebibytes first, the megabits from them: 1.5 MiB reads 8 MBit = 1 MByte.
    const std::uint64_t megabytes = size >> 20;
    char text[64];
    std::snprintf(text, sizeof text, "%" PRIu64 " MBit = %" PRIu64 " MByte", megabytes * 8,
                  megabytes);
    return text;
}

std::string Crc32Text(std::uint32_t crc) {
    if (crc == 0) {
        return "N/A";
    }
    char text[16];
    std::snprintf(text, sizeof text, "%08" PRIX32 "h", crc);
    return text;
}

} // namespace

RomDetails ComputeRomDetails(const CRomEntry& entry) {
    RomDetails details;
    CartridgeHeader header{};
    entry.RestoreSlice(header);
    const CGbaRomLoader decoder;
    if (!decoder.CheckFixedValue(header)) {
        return details;
    }
    details.m_strName = decoder.GetInternalName(header, true);
    details.m_strVersion = "1." + std::to_string(decoder.GetVersion(header));
    details.m_strSerial = decoder.GetSerial(header);
    details.m_strMaker = decoder.GetMakerName(header);
    details.m_strRomSize = RomSizeText(entry.m_dwSize);
    details.m_strUnitCode = Hex2(decoder.GetMainUnitCode(header));
    details.m_strDeviceType = Hex2(decoder.GetDeviceType(header));
    details.m_strCrc32 = Crc32Text(entry.m_dwCrc32);
    if ((entry.m_dwFlags & ROMF_COMPLEMENT_ERROR) != 0) {
        details.m_strComplement =
            Hex2(decoder.GetComplement(header)) + " (" + Hex2(decoder.CalcComplement(header)) + ")";
        details.m_bHighlightComplement = true;
    } else {
        details.m_strComplement = Hex2(decoder.GetComplement(header));
    }
    details.m_bLogoError = (entry.m_dwFlags & ROMF_LOGO_ERROR) != 0;
    return details;
}

std::string FormatRomDetailsText(const CRomEntry& entry) {
    const RomDetails details = ComputeRomDetails(entry);
    const std::pair<const char*, const std::string*> lines[] = {
        {"Internal Name:", &details.m_strName},
        {"Version:", &details.m_strVersion},
        {"Serial:", &details.m_strSerial},
        {"Maker:", &details.m_strMaker},
        {"ROM Size:", &details.m_strRomSize},
        {"Main Unit Code:", &details.m_strUnitCode},
        {"Device Type:", &details.m_strDeviceType},
        {"Complement:", &details.m_strComplement},
        {"CRC32:", &details.m_strCrc32},
    };
    std::string text = FileNameToUtf8(entry.GetDisplayName()) + "\n";
    for (const auto& [label, value] : lines) {
        text += label;
        text += ' ';
        text += Cp1252ToUtf8(*value);
        text += '\n';
    }
    text += "Logo Error: ";
    text += details.m_bLogoError ? "yes" : "no";
    text += '\n';
    return text;
}
