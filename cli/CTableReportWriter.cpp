// Table output. Each entry's cells are made on the scan's thread as it is found
// and kept in its record; the table is then written in two passes over the
// records, one for the column widths and one for the padded text. The cells of
// the whole-image check are made in both passes, which costs less than keeping
// them.
#include "CTableReportWriter.h"

#include "CEntryRecord.h"
#include "EntryFields.h"
#include "TableText.h"
#include "romio/CFileSystem.h"
#include "scan/CRomEntry.h"
#include "ui/RomDetailFields.h"
#include "ui/RomDetails.h"
#include "ui/TextConversion.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

namespace {

std::string FlagsText(const CRomEntry& entry, bool headerValid) {
    if (!headerValid) {
        return "no-header";
    }
    std::string text;
    if ((entry.m_dwFlags & ROMF_LOGO_ERROR) != 0) {
        text = "logo";
    }
    if ((entry.m_dwFlags & ROMF_COMPLEMENT_ERROR) != 0) {
        text += text.empty() ? "complement" : ",complement";
    }
    return text.empty() ? "-" : text;
}

// The detail fields the table shows, in its column order.
constexpr std::array<const RomDetailField*, 3> kTableFields = {
    &RomDetailFieldByKey("serial"),
    &RomDetailFieldByKey("maker"),
    &RomDetailFieldByKey("version"),
};

constexpr std::size_t kHeaderColumns = 3 + kTableFields.size();

// Appends a cell known from the scan, and its width, to `record`.
void AppendCell(std::string& record, std::string_view cell, CEntryRecord::Source source,
                const ReportedEntry& reported, CValueDictionary& shared) {
    CEntryRecord::Append(record, cell, source, reported, shared);
    CEntryRecord::AppendCount(record, DisplayWidth(cell));
}

// The titles of the columns.
std::vector<std::string> Titles(const ReportColumns& columns) {
    std::vector<std::string> titles = {"NAME", "SERIAL", "MAKER", "VERSION", "SIZE", "FLAGS"};
    if (columns.bHashes) {
        titles.insert(titles.end(), {"CRC32", "MD5", "SHA1", "BACKUP"});
    }
    if (columns.bDat) {
        titles.emplace_back("DAT");
    }
    return titles;
}

// The cells of the whole-image check after the header's: the hashes and the
// DAT result; "-" for what is not known.
void MakeCheckCells(const ReportColumns& columns, const EntryCheck* check,
                    std::vector<std::string>& cells) {
    cells.clear();
    if (columns.bHashes) {
        struct Cells { // takes the hash fields JSON and CSV show, in their order
            std::vector<std::string>& cells;
            void Text(std::string_view /*key*/, std::string_view value) {
                cells.emplace_back(value.empty() ? "-" : value);
            }
        } hashCells{cells};
        VisitHashFields(check, hashCells);
    }
    if (columns.bDat) {
        const DatMatch unchecked;
        cells.push_back(DatResultText(check != nullptr ? check->match : unchecked));
        MakePrintable(cells.back());
    }
}

// Appends a cell padded to its column's width, and two spaces, unless it is
// the last of the line.
void AppendPadded(std::string& out, std::string_view cell, std::size_t width,
                  std::size_t columnWidth, bool last) {
    out += cell;
    if (!last) {
        out.append(columnWidth - width + 2, ' ');
    }
}

} // namespace

void CTableReportWriter::PrepareEntry(const ReportedEntry& reported, std::string& record,
                                      FormatScratch& scratch) const {
    const CRomEntry& entry = *reported.entry;
    const RomDetails details = ComputeRomDetails(entry);
    std::string& cell = scratch.formatted;
    cell.clear();
    if (!reported.Folder().empty()) { // in a walk: the name below the folder given
        cell += PathAsUtf8(reported.Folder(), scratch.converted);
        cell += CFileSystem::kSeparator;
    }
    cell += FileNameAsUtf8(entry.GetDisplayName(), scratch.converted);
    MakePrintable(cell);
    AppendCell(record, cell, CEntryRecord::Source::DisplayName, reported, m_sharedValues);
    for (const RomDetailField* field : kTableFields) {
        cell = Cp1252AsUtf8(field->TextOf(details), scratch.converted);
        if (cell.empty()) {
            cell.push_back('-');
        }
        MakePrintable(cell);
        AppendCell(record, cell, CEntryRecord::Source::None, reported, m_sharedValues);
    }
    std::array<char, 24> digits{};
    const auto size = std::to_chars(digits.data(), digits.data() + digits.size(), entry.m_dwSize);
    AppendCell(record, std::string_view(digits.data(), size.ptr), CEntryRecord::Source::None,
               reported, m_sharedValues);
    AppendCell(record, FlagsText(entry, IsHeaderValid(entry)), CEntryRecord::Source::None, reported,
               m_sharedValues);
}

void CTableReportWriter::Write(const std::vector<ReportedEntry>& entries,
                               const std::string* /*folder*/, COutputBuffer& out) {
    FormatScratch scratch;
    const std::vector<std::string> titles = Titles(m_columns);
    std::vector<std::size_t> widths;
    for (const std::string& title : titles) {
        widths.push_back(DisplayWidth(title));
    }
    std::vector<std::string> checkCells;
    for (const ReportedEntry& reported : entries) {
        CEntryRecord::Reader cells(ReadyRecord(reported, scratch), reported, m_sharedValues);
        for (std::size_t column = 0; column < kHeaderColumns; ++column) {
            cells.Next();
            widths[column] = std::max(widths[column], cells.NextCount());
        }
        MakeCheckCells(m_columns, reported.check, checkCells);
        for (std::size_t i = 0; i < checkCells.size(); ++i) {
            std::size_t& width = widths[kHeaderColumns + i];
            width = std::max(width, DisplayWidth(checkCells[i]));
        }
    }
    std::string& text = out.Text();
    for (std::size_t column = 0; column < titles.size(); ++column) {
        AppendPadded(text, titles[column], DisplayWidth(titles[column]), widths[column],
                     column + 1 == titles.size());
    }
    text += '\n';
    for (const ReportedEntry& reported : entries) {
        CEntryRecord::Reader cells(ReadyRecord(reported, scratch), reported, m_sharedValues);
        for (std::size_t column = 0; column < kHeaderColumns; ++column) {
            const std::string_view cell = cells.Next();
            AppendPadded(text, cell, cells.NextCount(), widths[column],
                         column + 1 == widths.size());
        }
        MakeCheckCells(m_columns, reported.check, checkCells);
        for (std::size_t i = 0; i < checkCells.size(); ++i) {
            const std::size_t column = kHeaderColumns + i;
            AppendPadded(text, checkCells[i], DisplayWidth(checkCells[i]), widths[column],
                         column + 1 == widths.size());
        }
        text += '\n';
        out.Written();
    }
}
