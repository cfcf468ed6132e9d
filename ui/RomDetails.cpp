// The details panel's content: the fixed-value gate, then each field formatted
// exactly as the panel shows it.
#include "RomDetails.h"

#include "RomDetailFields.h"
#include "TextConversion.h"
#include "header/CGbaHeaderDecoder.h"
#include "header/CartridgeHeader.h"
#include "scan/CRomEntry.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// "%02Xh" of the low 8 bits, written by hand: the details are formatted once
// per row of the command line's output, and snprintf dominated that.
std::string Hex2(unsigned value) {
    return {kHexDigits[(value >> 4) & 0xFu], kHexDigits[value & 0xFu], 'h'};
}

std::string RomSizeText(std::uint64_t size) {
    // Whole mebibytes first, the megabits from them: 1.5 MiB reads 8 MBit = 1 MByte.
    const std::uint64_t megabytes = size >> 20;
    std::string text = std::to_string(megabytes * 8);
    text += " MBit = ";
    text += std::to_string(megabytes);
    text += " MByte";
    return text;
}

std::string Crc32Text(std::uint32_t crc) {
    if (crc == 0) {
        return "N/A";
    }
    std::string text(9, 'h'); // "%08Xh"
    for (int digit = 7; digit >= 0; --digit) {
        text[static_cast<std::size_t>(digit)] = kHexDigits[crc & 0xFu];
        crc >>= 4;
    }
    return text;
}

} // namespace

RomDetails ComputeRomDetails(const CRomEntry& entry) {
    RomDetails details;
    CartridgeHeader header{};
    entry.RestoreSlice(header);
    const CGbaHeaderDecoder decoder;
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

bool IsHeaderValid(const CRomEntry& entry) {
    CartridgeHeader header{};
    return CGbaHeaderDecoder().CheckFixedValue(entry.RestoreSlice(header));
}

bool HasHeaderFault(const CRomEntry& entry) {
    return !IsHeaderValid(entry) ||
           (entry.m_dwFlags & (ROMF_LOGO_ERROR | ROMF_COMPLEMENT_ERROR)) != 0;
}

std::string FormatRomDetailsText(const CRomEntry& entry) {
    const RomDetails details = ComputeRomDetails(entry);
    std::string text = FileNameToUtf8(entry.GetDisplayName()) + "\n";
    for (const RomDetailField& field : kRomDetailFields) {
        text += field.label;
        text += ' ';
        text += Cp1252ToUtf8(field.TextOf(details));
        text += '\n';
    }
    text += kLogoErrorLabel;
    text += ": ";
    text += details.m_bLogoError ? "yes" : "no";
    text += '\n';
    return text;
}
