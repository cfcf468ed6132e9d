// Choosing an output format, and reports as text.
#include "CReportWriter.h"

#include "CCsvReportWriter.h"
#include "CJsonReportWriter.h"
#include "CTableReportWriter.h"

std::unique_ptr<CReportWriter> CReportWriter::Create(Format format, ReportColumns columns) {
    std::unique_ptr<CReportWriter> writer;
    switch (format) {
    case Format::Json:
        writer = std::make_unique<CJsonReportWriter>();
        break;
    case Format::Csv:
        writer = std::make_unique<CCsvReportWriter>();
        break;
    case Format::Table:
        writer = std::make_unique<CTableReportWriter>();
        break;
    }
    writer->m_columns = columns;
    return writer;
}

std::string CReportWriter::ToText(const std::vector<ReportedEntry>& entries,
                                  const std::string* folder) {
    COutputBuffer out;
    Write(entries, folder, out);
    return out.Take();
}

const char* CReportWriter::ReadyRecord(const ReportedEntry& reported,
                                       FormatScratch& scratch) const {
    if (reported.ready != nullptr) {
        return reported.ready;
    }
    scratch.record.clear();
    PrepareEntry(reported, scratch.record, scratch);
    return scratch.record.data();
}
