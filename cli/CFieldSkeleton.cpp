// Entries written as constant text around their prepared values.
#include "CFieldSkeleton.h"

#include "CEntryRecord.h"

void CFieldSkeleton::Finish() {
    m_literals.push_back(std::move(m_current));
    m_current.clear();
}

void CFieldSkeleton::Write(std::string& out, const char* record, const ReportedEntry& reported,
                           const CValueDictionary& shared) const {
    CEntryRecord::Reader values(record, reported, shared);
    for (std::size_t i = 0; i + 1 < m_literals.size(); ++i) {
        out += m_literals[i];
        out += values.Next();
    }
    out += m_literals.back();
}

void CRecordSink::Value(std::string_view key, std::string_view value) {
    CEntryRecord::Append(record, value, CEntryRecord::SourceOfKey(key), reported, shared);
}
