// Choosing an output format, and reports as text.
#include "CReportWriter.h"

#include "CJsonReportWriter.h"
#include "CTableReportWriter.h"

std::unique_ptr<CReportWriter> CReportWriter::Create(Format format) {
    switch (format) {
    case Format::Json:
        return std::make_unique<CJsonReportWriter>();
    case Format::Table:
        break;
    }
    return std::make_unique<CTableReportWriter>();
}

std::string CReportWriter::ToText(const std::vector<ReportedEntry>& entries,
                                  const std::string* folder) {
    COutputBuffer out;
    Write(entries, folder, out);
    return out.Take();
}
