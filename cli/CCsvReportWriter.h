// The report as CSV for spreadsheets (RFC 4180): a header row of field names,
// then one row per entry with the JSON document's fields flattened
// ("details.serial" becomes "serial"; the detail text "crc32", whose name the
// entry's own CRC-32 number already has, becomes "details_crc32"). Fields
// holding a comma, a quotation mark or a line break are quoted, quotation
// marks doubled; lines end in CRLF. The DAT result's fields, asked for, are
// columns of their own named "dat_status" and so on.
#pragma once

#include "CReportWriter.h"

#include <string_view>

class CCsvReportWriter : public CReportWriter {
public:
    void Write(const std::vector<ReportedEntry>& entries, const std::string* folder,
               COutputBuffer& out) override;
    void PrepareEntry(const ReportedEntry& reported, std::string& record,
                      FormatScratch& scratch) const override;

    // `value` as one field, quoted where it needs to be.
    static void AppendField(std::string& out, std::string_view value);
};
