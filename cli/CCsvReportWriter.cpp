// CSV output: the entry fields, flattened, one row per entry.
#include "CCsvReportWriter.h"

#include "EntryFields.h"

#include <set>

namespace {

// One row, either the field names or one entry's values.
class RowWriter {
public:
    RowWriter(std::string& out, bool names) : m_out(out), m_bNames(names) {}

    void Text(std::string_view key, std::string_view value) { Cell(key, value); }
    template <typename Value> void Number(std::string_view key, Value value) {
        Cell(key, std::to_string(value));
    }
    void Flag(std::string_view key, bool value) { Cell(key, value ? "true" : "false"); }
    void BeginDetails() { m_bInDetails = true; }
    void EndDetails() { m_bInDetails = false; }
    // The DAT result's fields are columns of their own: "status" becomes "dat_status".
    void BeginDat() { m_strPrefix = "dat_"; }
    void EndDat() { m_strPrefix.clear(); }
    void End() { m_out += "\r\n"; }

private:
    void Cell(std::string_view key, std::string_view value) {
        if (!m_bFirst) {
            m_out += ',';
        }
        m_bFirst = false;
        if (!m_bNames) {
            AppendField(value);
        } else if (m_bInDetails && m_topKeys.count(std::string(key)) > 0) {
            AppendField("details_" + std::string(key));
        } else if (!m_strPrefix.empty()) {
            AppendField(m_strPrefix + std::string(key));
        } else {
            AppendField(key);
            if (!m_bInDetails) {
                m_topKeys.emplace(key);
            }
        }
    }

    void AppendField(std::string_view value) { CCsvReportWriter::AppendField(m_out, value); }

    std::string& m_out;
    const bool m_bNames;
    bool m_bFirst = true;
    bool m_bInDetails = false;
    std::string m_strPrefix;
    std::set<std::string> m_topKeys; // names of the entry's own fields, for the header
};

} // namespace

void CCsvReportWriter::AppendField(std::string& out, std::string_view value) {
    if (value.find_first_of(",\"\r\n") == std::string_view::npos) {
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

void CCsvReportWriter::Write(const std::vector<ReportedEntry>& entries,
                             const std::string* /*folder*/, COutputBuffer& out) {
    std::string scratch;
    // The header row takes its names from the same walk over a stand-in entry.
    const CRomEntry nameless(32);
    RowWriter names(out.Text(), true);
    VisitEntryFields(ReportedEntry{&nameless, 0, nullptr}, m_columns, scratch, names);
    names.End();
    for (const ReportedEntry& reported : entries) {
        RowWriter row(out.Text(), false);
        VisitEntryFields(reported, m_columns, scratch, row);
        row.End();
        out.Written();
    }
}
