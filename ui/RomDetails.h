// What the ROM Info panel shows for one entry, computed without any window:
// nine texts (8-bit, as the header decoders return them), whether the
// Complement field is highlighted, and whether "Logo Error" is ticked.
#pragma once

#include <string>

class CRomEntry;

struct RomDetails {
    std::string m_strName;
    std::string m_strVersion;
    std::string m_strSerial;
    std::string m_strMaker;
    std::string m_strRomSize;
    std::string m_strUnitCode;
    std::string m_strDeviceType;
    std::string m_strComplement;
    std::string m_strCrc32;
    bool m_bHighlightComplement = false;
    bool m_bLogoError = false;
};

// All fields stay empty when the header's fixed value is not 0x96.
RomDetails ComputeRomDetails(const CRomEntry& entry);

// True when the entry's header has its fixed value 0x96.
bool IsHeaderValid(const CRomEntry& entry);
// True when the header is not valid, or the scan found its logo or its
// complement wrong: what a check of a homebrew build must flag.
bool HasHeaderFault(const CRomEntry& entry);

// The panel as text, one "Label: value" line per field in screen order, in UTF-8
// (for the clipboard and the command line's plain output).
std::string FormatRomDetailsText(const CRomEntry& entry);
