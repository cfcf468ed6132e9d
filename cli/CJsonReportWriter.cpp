// JSON output, written by hand into the output buffer.
#include "CJsonReportWriter.h"

#include "app/core/RomDetailFields.h"
#include "app/core/RomDetails.h"
#include "app/core/TextConversion.h"
#include "scan/CRomEntry.h"

#include <array>
#include <charconv>

namespace {

constexpr char kLowerHexDigits[] = "0123456789abcdef";

template <typename Number> void AppendNumber(std::string& out, Number value) {
    std::array<char, 24> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    out.append(digits.data(), result.ptr);
}

void AppendBool(std::string& out, bool value) {
    out += value ? "true" : "false";
}

// ,"key": ready for the value.
void AppendKey(std::string& out, std::string_view key) {
    out += ",\"";
    out += key;
    out += "\":";
}

} // namespace

void CJsonReportWriter::AppendString(std::string& out, std::string_view text) {
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

void CJsonReportWriter::AppendEntry(std::string& out, const ReportedEntry& reported,
                                    std::string& scratch) {
    const CRomEntry& entry = *reported.entry;
    const RomDetails details = ComputeRomDetails(entry);
    out += "{\"index\":";
    AppendNumber(out, reported.index);
    AppendKey(out, "display_name");
    AppendString(out, FileNameAsUtf8(entry.GetDisplayName(), scratch));
    AppendKey(out, "path");
    AppendString(out, PathAsUtf8(entry.m_strPath, scratch));
    AppendKey(out, "file_name");
    AppendString(out, FileNameAsUtf8(entry.m_strFileName, scratch));
    AppendKey(out, "inner_name");
    AppendString(out, FileNameAsUtf8(entry.m_strInnerName, scratch));
    AppendKey(out, "size");
    AppendNumber(out, entry.m_dwSize);
    AppendKey(out, "crc32");
    AppendNumber(out, entry.m_dwCrc32);
    AppendKey(out, "flags");
    AppendNumber(out, entry.m_dwFlags);
    AppendKey(out, "header_valid");
    AppendBool(out, IsHeaderValid(entry));
    // Mirrors the panel's tick, which an invalid header never shows; the raw
    // finding stays in "flags".
    AppendKey(out, "logo_error");
    AppendBool(out, details.m_bLogoError);
    AppendKey(out, "complement_error");
    AppendBool(out, (entry.m_dwFlags & ROMF_COMPLEMENT_ERROR) != 0);
    AppendKey(out, "highlight_complement");
    AppendBool(out, details.m_bHighlightComplement);
    AppendKey(out, "details");
    char open = '{';
    for (const RomDetailField& field : kRomDetailFields) {
        out += open;
        open = ',';
        out += '"';
        out += field.key;
        out += "\":";
        AppendString(out, Cp1252AsUtf8(field.TextOf(details), scratch));
    }
    out += "}}";
}

std::string CJsonReportWriter::EntryJson(const ReportedEntry& reported) {
    std::string out;
    std::string scratch;
    AppendEntry(out, reported, scratch);
    return out;
}

void CJsonReportWriter::Write(const std::vector<ReportedEntry>& entries, const std::string* folder,
                              COutputBuffer& out) {
    std::string scratch;
    std::string& text = out.Text();
    text += '{';
    if (folder != nullptr) {
        text += "\"folder\": ";
        AppendString(text, PathAsUtf8(*folder, scratch));
        text += ", ";
    }
    text += "\"entries\": [";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        text += i == 0 ? "\n  " : ",\n  ";
        AppendEntry(text, entries[i], scratch);
        out.Written();
    }
    text += entries.empty() ? "]}\n" : "\n]}\n";
}
