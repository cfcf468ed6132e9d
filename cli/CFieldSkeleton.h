// The constant text of a report's entry around its values (keys, quotation
// marks, separators), taken once from a walk of the format's field writer
// over a stand-in entry. An entry is then written as that text with the values
// of its prepared record in between: nothing is formatted again.
//
// The field writers send their output to a sink: Literal() for the constant
// text, Value() for a field's formatted value. Three sinks exist: this one,
// one that packs the values into a record (on the scan's threads), and
// CDirectSink, which writes both into the output.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CValueDictionary;
struct ReportedEntry;

class CFieldSkeleton {
public:
    void Literal(std::string_view text) { m_current += text; }
    void Value(std::string_view /*key*/, std::string_view /*value*/) {
        m_literals.push_back(std::move(m_current));
        m_current.clear();
    }
    // Ends the walk: what came after the last value closes the entry.
    void Finish();
    bool IsEmpty() const { return m_literals.empty(); }

    // Writes an entry whose values are in `record`.
    void Write(std::string& out, const char* record, const ReportedEntry& reported,
               const CValueDictionary& shared) const;

private:
    std::vector<std::string> m_literals; // m_literals[i] comes before value i
    std::string m_current;
};

// The sink that writes straight into the output.
struct CDirectSink {
    std::string& out;
    void Literal(std::string_view text) { out += text; }
    void Value(std::string_view /*key*/, std::string_view value) { out += value; }
};

// The sink that packs the values into a record.
struct CRecordSink {
    std::string& record;
    const ReportedEntry& reported;
    CValueDictionary& shared;
    void Literal(std::string_view /*text*/) {}
    void Value(std::string_view key, std::string_view value);
};
