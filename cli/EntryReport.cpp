// JSON and table output of entries.
#include "EntryReport.h"

#include "app/core/RomDetails.h"
#include "app/core/TextConversion.h"
#include "header/CGbaHeaderDecoder.h"
#include "scan/CRomEntry.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::ordered_json;

bool HeaderValid(const CRomEntry& entry) {
    CartridgeHeader header{};
    return CGbaHeaderDecoder().CheckFixedValue(entry.RestoreSlice(header));
}

std::string Dump(const Json& json) {
    // Every text is valid UTF-8 already; replacing is only a second guard.
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string FlagsText(const CRomEntry& entry) {
    if (!HeaderValid(entry)) {
        return "no-header";
    }
    std::string text;
    if ((entry.m_dwFlags & ROMF_LOGO_ERROR) != 0) {
        text = "logo";
    }
    if ((entry.m_dwFlags & ROMF_COMPLEMENT_ERROR) != 0) {
        text += text.empty() ? "complement" : ",complement";
    }
    return text.empty() ? "-" : text;
}

// Width on a terminal, counting code points (every text here is UTF-8).
std::size_t DisplayWidth(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// Control characters would break the table's lines; show them as "?".
std::string Printable(std::string text) {
    std::replace_if(
        text.begin(), text.end(),
        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, '?');
    return text;
}

std::string OrDash(std::string text) {
    return text.empty() ? "-" : text;
}

} // namespace

bool EntryHasFault(const CRomEntry& entry) {
    return !HeaderValid(entry) ||
           (entry.m_dwFlags & (ROMF_LOGO_ERROR | ROMF_COMPLEMENT_ERROR)) != 0;
}

std::string EntryJson(const ReportedEntry& reported) {
    const CRomEntry& entry = *reported.entry;
    const RomDetails details = ComputeRomDetails(entry);
    Json json;
    json["index"] = reported.index;
    json["display_name"] = FileNameToUtf8(entry.GetDisplayName());
    json["path"] = PathToUtf8(entry.m_strPath);
    json["file_name"] = FileNameToUtf8(entry.m_strFileName);
    json["inner_name"] = FileNameToUtf8(entry.m_strInnerName);
    json["size"] = entry.m_dwSize;
    json["crc32"] = entry.m_dwCrc32;
    json["flags"] = entry.m_dwFlags;
    json["header_valid"] = HeaderValid(entry);
    // Mirrors the panel's tick, which an invalid header never shows; the raw
    // finding stays in "flags".
    json["logo_error"] = details.m_bLogoError;
    json["complement_error"] = (entry.m_dwFlags & ROMF_COMPLEMENT_ERROR) != 0;
    json["highlight_complement"] = details.m_bHighlightComplement;
    json["details"] = {
        {"internal_name", Cp1252ToUtf8(details.m_strName)},
        {"version", Cp1252ToUtf8(details.m_strVersion)},
        {"serial", Cp1252ToUtf8(details.m_strSerial)},
        {"maker", Cp1252ToUtf8(details.m_strMaker)},
        {"rom_size", Cp1252ToUtf8(details.m_strRomSize)},
        {"unit_code", Cp1252ToUtf8(details.m_strUnitCode)},
        {"device_type", Cp1252ToUtf8(details.m_strDeviceType)},
        {"complement", Cp1252ToUtf8(details.m_strComplement)},
        {"crc32", Cp1252ToUtf8(details.m_strCrc32)},
    };
    return Dump(json);
}

std::string EntriesJsonDocument(const std::vector<ReportedEntry>& entries,
                                const std::string* folder) {
    std::string out = "{";
    if (folder != nullptr) {
        out += "\"folder\": " + Dump(Json(PathToUtf8(*folder))) + ", ";
    }
    out += "\"entries\": [";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out += i == 0 ? "\n  " : ",\n  ";
        out += EntryJson(entries[i]);
    }
    out += entries.empty() ? "]}\n" : "\n]}\n";
    return out;
}

std::string EntriesTable(const std::vector<ReportedEntry>& entries) {
    constexpr std::size_t kColumns = 6;
    using Line = std::array<std::string, kColumns>;
    std::vector<Line> lines;
    lines.reserve(entries.size() + 1);
    lines.push_back({"NAME", "SERIAL", "MAKER", "VERSION", "SIZE", "FLAGS"});
    for (const ReportedEntry& reported : entries) {
        const CRomEntry& entry = *reported.entry;
        const RomDetails details = ComputeRomDetails(entry);
        lines.push_back({Printable(FileNameToUtf8(entry.GetDisplayName())),
                         OrDash(Printable(Cp1252ToUtf8(details.m_strSerial))),
                         OrDash(Cp1252ToUtf8(details.m_strMaker)), OrDash(details.m_strVersion),
                         std::to_string(entry.m_dwSize), FlagsText(entry)});
    }
    std::array<std::size_t, kColumns> widths{};
    for (const Line& line : lines) {
        for (std::size_t c = 0; c < kColumns; ++c) {
            widths[c] = std::max(widths[c], DisplayWidth(line[c]));
        }
    }
    std::string out;
    for (const Line& line : lines) {
        for (std::size_t c = 0; c < kColumns; ++c) {
            out += line[c];
            if (c + 1 < kColumns) {
                out.append(widths[c] - DisplayWidth(line[c]) + 2, ' ');
            }
        }
        out += '\n';
    }
    return out;
}
