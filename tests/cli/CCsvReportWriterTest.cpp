// The command line's CSV: a field is quoted exactly when it holds a comma,
// a quotation mark or a line break of either kind, a lone CR included, which
// a spreadsheet would otherwise take for the end of the row.
#include "cli/CReportWriter.h"
#include "scan/CRomEntry.h"
#include "tests/support/HeaderBuilder.h"

#include <gtest/gtest.h>

#include <memory>

TEST(CsvReportWriter, FieldsWithSeparatorsOrLineBreaksAreQuoted) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain.gba", "plain.gba,"},
        {"comma,name.gba", "\"comma,name.gba\","},
        {"quote\"name.gba", "\"quote\"\"name.gba\","},
        {"lone\rcr.gba", "\"lone\rcr.gba\","},
        {"line\nfeed.gba", "\"line\nfeed.gba\","},
    };
    for (const auto& [name, field] : cases) {
        CRomEntry entry(32);
        entry.StoreSlice(testing_support::BuildHeader());
        entry.SetFolder(std::make_shared<const std::string>("/roms/"));
        entry.m_strFileName = name;
        const std::string csv = CReportWriter::Create(CReportWriter::Format::Csv)
                                    ->ToText({{&entry, 0, nullptr}}, nullptr);
        // The display name is the second field of the row after the header line.
        const std::string row = csv.substr(csv.find("\r\n") + 2);
        EXPECT_EQ(row.substr(2, field.size()), field) << name;
    }
}
