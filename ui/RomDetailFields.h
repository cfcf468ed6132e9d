// The nine detail fields of the ROM Info panel, in the order they stand on
// screen: each field's label, its key in the command line's JSON and CSV
// output, the dialog control that shows it, and its text in RomDetails. The
// dialogs' panels, the copied details text and every output format read them
// from here, so none of them can disagree with another.
#pragma once

#include "RomDetails.h"
#include "resource.h"

#include <array>
#include <string>
#include <string_view>

struct RomDetailField {
    int nControlId;
    std::string_view label; // as the panel shows it, colon included
    std::string_view key;   // in machine-readable output
    std::string RomDetails::*text;

    const std::string& TextOf(const RomDetails& details) const { return details.*text; }
    // The label without its colon, as a screen reader names the field.
    std::string_view Name() const { return label.substr(0, label.find(':')); }
};

inline constexpr std::array<RomDetailField, 9> kRomDetailFields{{
    {IDC_NAME, "Internal Name:", "internal_name", &RomDetails::m_strName},
    {IDC_VERSION, "Version:", "version", &RomDetails::m_strVersion},
    {IDC_SERIAL, "Serial:", "serial", &RomDetails::m_strSerial},
    {IDC_MAKER, "Maker:", "maker", &RomDetails::m_strMaker},
    {IDC_ROMSIZE, "ROM Size:", "rom_size", &RomDetails::m_strRomSize},
    {IDC_UNITCODE, "Main Unit Code:", "unit_code", &RomDetails::m_strUnitCode},
    {IDC_DEVICETYPE, "Device Type:", "device_type", &RomDetails::m_strDeviceType},
    {IDC_COMPLEMENT, "Complement:", "complement", &RomDetails::m_strComplement},
    {IDC_CRC32, "CRC32:", "crc32", &RomDetails::m_strCrc32},
}};

// The field with `key`, found while compiling: a key the table lacks does not compile.
consteval const RomDetailField& RomDetailFieldByKey(std::string_view key) {
    for (const RomDetailField& field : kRomDetailFields) {
        if (field.key == key) {
            return field;
        }
    }
    throw "no such detail field";
}

// The field shown by the control `controlId`; the first field for an ID the table lacks.
constexpr const RomDetailField& RomDetailFieldById(int controlId) {
    for (const RomDetailField& field : kRomDetailFields) {
        if (field.nControlId == controlId) {
            return field;
        }
    }
    return kRomDetailFields.front();
}

// The label of the "Logo Error" box, the tenth thing the panel shows.
inline constexpr std::string_view kLogoErrorLabel = "Logo Error";
