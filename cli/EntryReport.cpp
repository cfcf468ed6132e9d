// JSON and table output of entries. Both are written straight into one output
// buffer: a folder of 100,000 images gives as many rows, and building a JSON
// object or six strings per row cost more than the scan itself.
#include "EntryReport.h"

#include "COutputBuffer.h"
#include "app/core/RomDetails.h"
#include "app/core/TextConversion.h"
#include "header/CGbaHeaderDecoder.h"
#include "scan/CRomEntry.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string_view>
#include <unordered_map>

namespace {

using Json = nlohmann::ordered_json;

constexpr char kLowerHexDigits[] = "0123456789abcdef";

bool HeaderValid(const CRomEntry& entry) {
    CartridgeHeader header{};
    return CGbaHeaderDecoder().CheckFixedValue(entry.RestoreSlice(header));
}

std::string Dump(const Json& json) {
    // Every text is valid UTF-8 already; replacing is only a second guard.
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string FlagsText(const CRomEntry& entry, bool headerValid) {
    if (!headerValid) {
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

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The UTF-8 form of an 8-bit Windows-1252 text; ASCII needs no conversion.
std::string_view Cp1252AsUtf8(std::string_view text, std::string& scratch) {
    if (IsAscii(text)) {
        return text;
    }
    scratch.clear();
    AppendCp1252AsUtf8(scratch, text);
    return scratch;
}

// FileNameToUtf8 without a copy for the usual, valid name.
std::string_view FileNameAsUtf8(std::string_view name, std::string& scratch) {
    if (IsValidUtf8(name)) {
        return name;
    }
    scratch.clear();
    AppendCp1252AsUtf8(scratch, name);
    return scratch;
}

std::string_view PathAsUtf8(std::string_view path, std::string& scratch) {
    if (IsValidUtf8(path)) {
        return path;
    }
    scratch = PathToUtf8(path);
    return scratch;
}

// --- JSON ---

// `text` as a JSON string, byte for byte as nlohmann's dump() above writes it:
// quotation mark, backslash and control characters escaped, everything else
// (DEL and non-ASCII included) as it stands.
void AppendJsonString(std::string& out, std::string_view text) {
    if (!IsValidUtf8(text)) {
        out += Dump(Json(std::string(text))); // its replacement rules, not a copy of them
        return;
    }
    out += '"';
    std::size_t plain = 0; // start of the bytes not yet copied
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte != '"' && byte != '\\') {
            continue;
        }
        out.append(text.substr(plain, i - plain));
        plain = i + 1;
        out += '\\';
        switch (byte) {
        case '"':
        case '\\':
            out += static_cast<char>(byte);
            break;
        case '\b':
            out += 'b';
            break;
        case '\t':
            out += 't';
            break;
        case '\n':
            out += 'n';
            break;
        case '\f':
            out += 'f';
            break;
        case '\r':
            out += 'r';
            break;
        default:
            out += "u00";
            out += kLowerHexDigits[byte >> 4];
            out += kLowerHexDigits[byte & 0xF];
            break;
        }
    }
    out.append(text.substr(plain));
    out += '"';
}

template <typename Number> void AppendNumber(std::string& out, Number value) {
    std::array<char, 24> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    out.append(digits.data(), result.ptr);
}

void AppendBool(std::string& out, bool value) {
    out += value ? "true" : "false";
}

// `scratch` holds texts converted on the way out, reused from entry to entry.
void AppendEntryJson(std::string& out, const ReportedEntry& reported, std::string& scratch) {
    const CRomEntry& entry = *reported.entry;
    const RomDetails details = ComputeRomDetails(entry);
    out += "{\"index\":";
    AppendNumber(out, reported.index);
    out += ",\"display_name\":";
    AppendJsonString(out, FileNameAsUtf8(entry.GetDisplayName(), scratch));
    out += ",\"path\":";
    AppendJsonString(out, PathAsUtf8(entry.m_strPath, scratch));
    out += ",\"file_name\":";
    AppendJsonString(out, FileNameAsUtf8(entry.m_strFileName, scratch));
    out += ",\"inner_name\":";
    AppendJsonString(out, FileNameAsUtf8(entry.m_strInnerName, scratch));
    out += ",\"size\":";
    AppendNumber(out, entry.m_dwSize);
    out += ",\"crc32\":";
    AppendNumber(out, entry.m_dwCrc32);
    out += ",\"flags\":";
    AppendNumber(out, entry.m_dwFlags);
    out += ",\"header_valid\":";
    AppendBool(out, HeaderValid(entry));
    // Mirrors the panel's tick, which an invalid header never shows; the raw
    // finding stays in "flags".
    out += ",\"logo_error\":";
    AppendBool(out, details.m_bLogoError);
    out += ",\"complement_error\":";
    AppendBool(out, (entry.m_dwFlags & ROMF_COMPLEMENT_ERROR) != 0);
    out += ",\"highlight_complement\":";
    AppendBool(out, details.m_bHighlightComplement);
    const std::pair<const char*, const std::string*> texts[] = {
        {"{\"internal_name\":", &details.m_strName},
        {",\"version\":", &details.m_strVersion},
        {",\"serial\":", &details.m_strSerial},
        {",\"maker\":", &details.m_strMaker},
        {",\"rom_size\":", &details.m_strRomSize},
        {",\"unit_code\":", &details.m_strUnitCode},
        {",\"device_type\":", &details.m_strDeviceType},
        {",\"complement\":", &details.m_strComplement},
        {",\"crc32\":", &details.m_strCrc32},
    };
    out += ",\"details\":";
    for (const auto& [key, value] : texts) {
        out += key;
        AppendJsonString(out, Cp1252AsUtf8(*value, scratch));
    }
    out += "}}";
}

void WriteJsonDocument(const std::vector<ReportedEntry>& entries, const std::string* folder,
                       COutputBuffer& out) {
    std::string scratch;
    std::string& text = out.Text();
    text += '{';
    if (folder != nullptr) {
        text += "\"folder\": " + Dump(Json(PathToUtf8(*folder))) + ", ";
    }
    text += "\"entries\": [";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        text += i == 0 ? "\n  " : ",\n  ";
        AppendEntryJson(text, entries[i], scratch);
        out.Written();
    }
    text += entries.empty() ? "]}\n" : "\n]}\n";
}

// --- Table ---

constexpr std::uint64_t kEveryByte = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

std::uint64_t Block(std::string_view text, std::size_t at) {
    std::uint64_t block = 0;
    std::memcpy(&block, text.data() + at, sizeof block);
    return block;
}

// Width on a terminal, counting code points (every text here is UTF-8). Eight
// ASCII bytes at a time are eight code points.
std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    std::size_t i = 0;
    for (; i + sizeof(std::uint64_t) <= text.size(); i += sizeof(std::uint64_t)) {
        if ((Block(text, i) & kHighBits) == 0) {
            width += sizeof(std::uint64_t);
            continue;
        }
        for (std::size_t k = i; k < i + sizeof(std::uint64_t); ++k) {
            width += (static_cast<unsigned char>(text[k]) & 0xC0) != 0x80;
        }
    }
    for (; i < text.size(); ++i) {
        width += (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    }
    return width;
}

// True when the eight bytes hold a control character (below 0x20) or DEL.
bool HasControlByte(std::uint64_t block) {
    const std::uint64_t below20 = (block - kEveryByte * 0x20) & ~block & kHighBits;
    const std::uint64_t del = block ^ (kEveryByte * 0x7F);
    const std::uint64_t isDel = (del - kEveryByte) & ~del & kHighBits;
    return (below20 | isDel) != 0;
}

bool IsControlByte(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

// Control characters would break the table's lines; they show as "?".
void MakePrintable(std::string& text, std::size_t from) {
    std::size_t i = from;
    while (i + sizeof(std::uint64_t) <= text.size() && !HasControlByte(Block(text, i))) {
        i += sizeof(std::uint64_t);
    }
    std::replace_if(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(), IsControlByte, '?');
}

// Maker names by code, converted once: a table has few makers and many rows.
class MakerNames {
public:
    const std::string& Utf8NameOf(const CGbaHeaderDecoder& decoder, const CartridgeHeader& header) {
        const std::uint32_t code = decoder.GetMakerCode(header);
        auto found = m_names.find(code);
        if (found == m_names.end()) {
            found = m_names.emplace(code, Cp1252ToUtf8(decoder.GetMakerName(header))).first;
        }
        return found->second;
    }

private:
    std::unordered_map<std::uint32_t, std::string> m_names;
};

// One line of the table: its six cells, whose buffers are kept from line to
// line. The table is made in two passes over the entries, one for the column
// widths and one for the text, rather than keeping every cell until the
// widths are known: making a line again costs less than the fresh memory a
// large folder's cells would need.
class TableLine {
public:
    static constexpr std::size_t kColumns = 6;

    // Name, serial, maker, version, size and flags, as the details panel's
    // texts give them; only the three header texts shown are decoded.
    void Make(const CRomEntry& entry) {
        const CGbaHeaderDecoder decoder;
        // Only bytes 0xA0-0xBF are restored and read, so one buffer serves all.
        const bool valid = decoder.CheckFixedValue(entry.RestoreSlice(m_header));
        for (std::string& cell : m_cells) {
            cell.clear();
        }
        m_cells[0] += FileNameAsUtf8(entry.GetDisplayName(), m_scratch);
        MakePrintable(m_cells[0], 0);
        if (valid) {
            AppendCp1252AsUtf8(m_cells[1], decoder.GetSerial(m_header));
            MakePrintable(m_cells[1], 0);
            m_cells[2] += m_makers.Utf8NameOf(decoder, m_header);
            m_cells[3] += "1.";
            AppendNumber(m_cells[3], decoder.GetVersion(m_header));
        }
        for (std::size_t column = 1; column <= 3; ++column) {
            if (m_cells[column].empty()) {
                m_cells[column].push_back('-'); // the cell is empty
            }
        }
        AppendNumber(m_cells[4], entry.m_dwSize);
        m_cells[5] += FlagsText(entry, valid);
    }

    void MakeTitles() { m_cells = {"NAME", "SERIAL", "MAKER", "VERSION", "SIZE", "FLAGS"}; }

    void WidenColumns(std::array<std::size_t, kColumns>& widths) const {
        for (std::size_t column = 0; column < kColumns; ++column) {
            widths[column] = std::max(widths[column], DisplayWidth(m_cells[column]));
        }
    }

    void Write(const std::array<std::size_t, kColumns>& widths, std::string& out) const {
        for (std::size_t column = 0; column < kColumns; ++column) {
            out += m_cells[column];
            if (column + 1 < kColumns) {
                out.append(widths[column] - DisplayWidth(m_cells[column]) + 2, ' ');
            }
        }
        out += '\n';
    }

private:
    std::array<std::string, kColumns> m_cells;
    CartridgeHeader m_header{};
    MakerNames m_makers;
    std::string m_scratch;
};

void WriteTable(const std::vector<ReportedEntry>& entries, COutputBuffer& out) {
    TableLine line;
    std::array<std::size_t, TableLine::kColumns> widths{};
    line.MakeTitles();
    line.WidenColumns(widths);
    for (const ReportedEntry& reported : entries) {
        line.Make(*reported.entry);
        line.WidenColumns(widths);
    }
    line.MakeTitles();
    line.Write(widths, out.Text());
    for (const ReportedEntry& reported : entries) {
        line.Make(*reported.entry);
        line.Write(widths, out.Text());
        out.Written();
    }
}

} // namespace

bool EntryHasFault(const CRomEntry& entry) {
    return !HeaderValid(entry) ||
           (entry.m_dwFlags & (ROMF_LOGO_ERROR | ROMF_COMPLEMENT_ERROR)) != 0;
}

std::string EntryJson(const ReportedEntry& reported) {
    std::string out;
    std::string scratch;
    AppendEntryJson(out, reported, scratch);
    return out;
}

std::string EntriesJsonDocument(const std::vector<ReportedEntry>& entries,
                                const std::string* folder) {
    COutputBuffer out;
    WriteJsonDocument(entries, folder, out);
    return out.Take();
}

std::string EntriesTable(const std::vector<ReportedEntry>& entries) {
    COutputBuffer out;
    WriteTable(entries, out);
    return out.Take();
}

void WriteEntriesJsonDocument(const std::vector<ReportedEntry>& entries, const std::string* folder,
                              std::FILE* stream) {
    COutputBuffer out(stream);
    WriteJsonDocument(entries, folder, out);
}

void WriteEntriesTable(const std::vector<ReportedEntry>& entries, std::FILE* stream) {
    COutputBuffer out(stream);
    WriteTable(entries, out);
}
