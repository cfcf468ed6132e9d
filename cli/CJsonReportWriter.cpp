// JSON output, written by hand into the output buffer.
#include "CJsonReportWriter.h"

#include "ByteBlocks.h"
#include "CFieldSkeleton.h"
#include "EntryFields.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace {

constexpr char kLowerHexDigits[] = "0123456789abcdef";

// Where the first byte that needs escaping may be: eight bytes at a time
// past those that need none, which almost every name and header text is.
std::size_t FirstToEscape(std::string_view text) {
    using namespace byte_blocks;
    return PlainPrefix(text, [](std::uint64_t block) {
        return HasByteBelow(block, 0x20) || HasByte(block, '"') || HasByte(block, '\\');
    });
}

// Writes an entry's fields as the members of one object, into `Sink`.
template <typename Sink> class MemberWriter {
public:
    MemberWriter(Sink sink, std::string& formatted, bool first = true)
        : m_sink(sink), m_formatted(formatted), m_bFirst(first) {}

    void Text(std::string_view key, std::string_view value) {
        Key(key);
        m_sink.Literal("\"");
        m_formatted.clear();
        CJsonReportWriter::AppendEscaped(m_formatted, value);
        m_sink.Value(key, m_formatted);
        m_sink.Literal("\"");
    }
    template <typename Value> void Number(std::string_view key, Value value) {
        Key(key);
        std::array<char, 24> digits{};
        const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
        m_sink.Value(key, std::string_view(digits.data(), result.ptr));
    }
    void Flag(std::string_view key, bool value) {
        Key(key);
        m_sink.Value(key, value ? "true" : "false");
    }
    void BeginDetails() {
        Key("details");
        m_sink.Literal("{");
        m_bFirst = true;
    }
    void EndDetails() { m_sink.Literal("}"); }
    void BeginDat() {
        Key("dat");
        m_sink.Literal("{");
        m_bFirst = true;
    }
    void EndDat() { m_sink.Literal("}"); }

private:
    void Key(std::string_view key) {
        m_sink.Literal(m_bFirst ? "\"" : ",\"");
        m_bFirst = false;
        m_sink.Literal(key);
        m_sink.Literal("\":");
    }

    Sink m_sink;
    std::string& m_formatted;
    bool m_bFirst;
};

} // namespace

void CJsonReportWriter::AppendString(std::string& out, std::string_view text) {
    out += '"';
    AppendEscaped(out, text);
    out += '"';
}

void CJsonReportWriter::AppendEscaped(std::string& out, std::string_view text) {
    std::size_t plain = 0; // start of the bytes not yet copied
    for (std::size_t i = FirstToEscape(text); i < text.size(); ++i) {
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
}

void CJsonReportWriter::PrepareEntry(const ReportedEntry& reported, std::string& record,
                                     FormatScratch& scratch) const {
    MemberWriter members(CRecordSink{record, reported, m_sharedValues}, scratch.formatted);
    VisitEntryFields(reported, PreparedColumns(), scratch.converted, members);
}

void CJsonReportWriter::AppendEntry(std::string& out, const ReportedEntry& reported,
                                    FormatScratch& scratch) const {
    out += '{';
    m_skeleton.Write(out, ReadyRecord(reported, scratch), reported, m_sharedValues);
    // The whole-image check's fields follow those known from the scan.
    MemberWriter members(CDirectSink{out}, scratch.formatted, false);
    if (m_columns.bHashes) {
        VisitHashFields(reported.check, members);
    }
    if (m_columns.bDat) {
        VisitDatFields(reported.check, members);
    }
    out += '}';
}

void CJsonReportWriter::MakeSkeleton() {
    if (!m_skeleton.IsEmpty()) {
        return;
    }
    const CRomEntry standIn(32);
    std::string formatted;
    std::string converted;
    MemberWriter<CFieldSkeleton&> members(m_skeleton, formatted);
    VisitEntryFields(ReportedEntry{&standIn, 0, nullptr}, PreparedColumns(), converted, members);
    m_skeleton.Finish();
}

std::string CJsonReportWriter::EntryJson(const ReportedEntry& reported) {
    CJsonReportWriter writer;
    writer.MakeSkeleton();
    std::string out;
    FormatScratch scratch;
    writer.AppendEntry(out, reported, scratch);
    return out;
}

void CJsonReportWriter::Write(const std::vector<ReportedEntry>& entries, const std::string* folder,
                              COutputBuffer& out) {
    MakeSkeleton();
    FormatScratch scratch;
    std::string& text = out.Text();
    text += '{';
    if (folder != nullptr) {
        text += "\"folder\": ";
        AppendString(text, PathAsUtf8(*folder, scratch.converted));
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
