// CSV output: the entry fields, flattened, one row per entry.
#include "CCsvReportWriter.h"

#include "ByteBlocks.h"
#include "CFieldSkeleton.h"
#include "EntryFields.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>

#include <set>

namespace {

// One row, either the field names or one entry's values, into `Sink`.
template <typename Sink> class RowWriter {
public:
    RowWriter(Sink sink, std::string& formatted, bool names, bool first = true)
        : m_sink(sink), m_formatted(formatted), m_bNames(names), m_bFirst(first) {}

    void Text(std::string_view key, std::string_view value) { Cell(key, value); }
    template <typename Value> void Number(std::string_view key, Value value) {
        std::array<char, 24> digits{};
        const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
        Cell(key, std::string_view(digits.data(), result.ptr));
    }
    void Flag(std::string_view key, bool value) { Cell(key, value ? "true" : "false"); }
    void BeginDetails() { m_bInDetails = true; }
    void EndDetails() { m_bInDetails = false; }
    // The DAT result's fields are columns of their own: "status" becomes "dat_status".
    void BeginDat() { m_strPrefix = "dat_"; }
    void EndDat() { m_strPrefix.clear(); }

private:
    void Cell(std::string_view key, std::string_view value) {
        if (!m_bFirst) {
            m_sink.Literal(",");
        }
        m_bFirst = false;
        m_formatted.clear();
        if (!m_bNames) {
            CCsvReportWriter::AppendField(m_formatted, value);
        } else if (m_bInDetails && m_topKeys.count(std::string(key)) > 0) {
            CCsvReportWriter::AppendField(m_formatted, "details_" + std::string(key));
        } else if (!m_strPrefix.empty()) {
            CCsvReportWriter::AppendField(m_formatted, m_strPrefix + std::string(key));
        } else {
            CCsvReportWriter::AppendField(m_formatted, key);
            if (!m_bInDetails) {
                m_topKeys.emplace(key);
            }
        }
        m_sink.Value(key, m_formatted);
    }

    Sink m_sink;
    std::string& m_formatted;
    const bool m_bNames;
    bool m_bFirst;
    bool m_bInDetails = false;
    std::string m_strPrefix;
    std::set<std::string> m_topKeys; // names of the entry's own fields, for the header
};

bool IsSeparator(char c) {
    return c == ',' || c == '"' || c == '\r' || c == '\n';
}

// A comma, a quotation mark or a line break in `value`: eight bytes at a time
// past those that hold none, which almost every field is.
bool NeedsQuotes(std::string_view value) {
    using namespace byte_blocks;
    const std::size_t i = PlainPrefix(value, [](std::uint64_t block) {
        return HasByte(block, ',') || HasByte(block, '"') || HasByte(block, '\r') ||
               HasByte(block, '\n');
    });
    return std::any_of(value.begin() + static_cast<std::ptrdiff_t>(i), value.end(), IsSeparator);
}

} // namespace

void CCsvReportWriter::AppendField(std::string& out, std::string_view value) {
    if (!NeedsQuotes(value)) {
        out += value;
        return;
    }
    out += '"';
    for (const char c : value) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
}

void CCsvReportWriter::PrepareEntry(const ReportedEntry& reported, std::string& record,
                                    FormatScratch& scratch) const {
    RowWriter row(CRecordSink{record, reported, m_sharedValues}, scratch.formatted, false);
    VisitEntryFields(reported, PreparedColumns(), scratch.converted, row);
}

void CCsvReportWriter::Write(const std::vector<ReportedEntry>& entries,
                             const std::string* /*folder*/, COutputBuffer& out) {
    FormatScratch scratch;
    // The header row takes its names from the same walk over a stand-in
    // entry, as does the text between an entry's values.
    const CRomEntry nameless(32);
    const ReportedEntry standIn{&nameless, 0, nullptr};
    RowWriter names(CDirectSink{out.Text()}, scratch.formatted, true);
    VisitEntryFields(standIn, m_columns, scratch.converted, names);
    out.Text() += "\r\n";
    CFieldSkeleton skeleton;
    RowWriter<CFieldSkeleton&> values(skeleton, scratch.formatted, false);
    VisitEntryFields(standIn, PreparedColumns(), scratch.converted, values);
    skeleton.Finish();
    for (const ReportedEntry& reported : entries) {
        skeleton.Write(out.Text(), ReadyRecord(reported, scratch), reported, m_sharedValues);
        // The whole-image check's fields follow those known from the scan.
        RowWriter checks(CDirectSink{out.Text()}, scratch.formatted, false, false);
        if (m_columns.bHashes) {
            VisitHashFields(reported.check, checks);
        }
        if (m_columns.bDat) {
            VisitDatFields(reported.check, checks);
        }
        out.Text() += "\r\n";
        out.Written();
    }
}
