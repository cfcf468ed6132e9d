// The report as a readable table: a title line, then one line per entry with
// its name, serial, maker, version, size and flags, in columns as wide as
// their widest cell. Texts are the panel's own; a cell left empty shows "-".
#pragma once

#include "CReportWriter.h"

class CTableReportWriter : public CReportWriter {
public:
    void Write(const std::vector<ReportedEntry>& entries, const std::string* folder,
               COutputBuffer& out) override;
    void PrepareEntry(const ReportedEntry& reported, std::string& record,
                      FormatScratch& scratch) const override;
};
