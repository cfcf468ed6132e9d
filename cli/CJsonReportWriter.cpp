// JSON output, written by hand into the output buffer.
#include "CJsonReportWriter.h"

#include "EntryFields.h"

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

// Writes an entry's fields as the members of one object.
class MemberWriter {
public:
    explicit MemberWriter(std::string& out) : m_out(out) {}

    void Text(std::string_view key, std::string_view value) {
        Key(key);
        CJsonReportWriter::AppendString(m_out, value);
    }
    template <typename Value> void Number(std::string_view key, Value value) {
        Key(key);
        AppendNumber(m_out, value);
    }
    void Flag(std::string_view key, bool value) {
        Key(key);
        AppendBool(m_out, value);
    }
    void BeginDetails() {
        Key("details");
        m_out += '{';
        m_bFirst = true;
    }
    void EndDetails() { m_out += '}'; }
    void BeginDat() {
        Key("dat");
        m_out += '{';
        m_bFirst = true;
    }
    void EndDat() { m_out += '}'; }

private:
    void Key(std::string_view key) {
        m_out += m_bFirst ? "\"" : ",\"";
        m_bFirst = false;
        m_out += key;
        m_out += "\":";
    }

    std::string& m_out;
    bool m_bFirst = true;
};

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
                                    std::string& scratch, const ReportColumns& columns) {
    out += '{';
    MemberWriter members(out);
    VisitEntryFields(reported, columns, scratch, members);
    out += '}';
}

std::string CJsonReportWriter::EntryJson(const ReportedEntry& reported) {
    std::string out;
    std::string scratch;
    AppendEntry(out, reported, scratch, {});
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
        AppendEntry(text, entries[i], scratch, m_columns);
        out.Written();
    }
    text += entries.empty() ? "]}\n" : "\n]}\n";
}
