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

// One line of the table: its cells, whose buffers are kept from line to line.
class TableLine {
public:
    static constexpr std::size_t kHeaderColumns = 3 + kTableFields.size();

    explicit TableLine(const ReportColumns& columns)
        : m_columns(columns),
          m_cells(kHeaderColumns + (columns.bHashes ? 4 : 0) + (columns.bDat ? 1 : 0)) {}

    std::size_t ColumnCount() const { return m_cells.size(); }

    // The cells known from the scan, into `record`.
    void Prepare(const ReportedEntry& reported, std::string& record) {
        const CRomEntry& entry = *reported.entry;
        const RomDetails details = ComputeRomDetails(entry);
        for (std::string& cell : m_cells) {
            cell.clear();
        }
        if (!reported.Folder().empty()) { // in a walk: the name below the folder given
            m_cells[0] += PathAsUtf8(reported.Folder(), m_scratch);
            m_cells[0] += CFileSystem::kSeparator;
        }
        m_cells[0] += FileNameAsUtf8(entry.GetDisplayName(), m_scratch);
        for (std::size_t i = 0; i < kTableFields.size(); ++i) {
            std::string& cell = m_cells[1 + i];
            cell += Cp1252AsUtf8(kTableFields[i]->TextOf(details), m_scratch);
            if (cell.empty()) {
                cell.push_back('-');
            }
        }
        for (std::size_t column = 0; column <= kTableFields.size(); ++column) {
            MakePrintable(m_cells[column]);
        }
        m_cells[kHeaderColumns - 2] += std::to_string(entry.m_dwSize);
        m_cells[kHeaderColumns - 1] += FlagsText(entry, IsHeaderValid(entry));
        for (std::size_t column = 0; column < kHeaderColumns; ++column) {
            CEntryRecord::Append(record, m_cells[column],
                                 column == 0 ? CEntryRecord::Source::DisplayName
                                             : CEntryRecord::Source::None,
                                 reported);
        }
    }

    // The line of an entry whose scan cells are in `record`.
    void Make(const ReportedEntry& reported, const char* record) {
        CEntryRecord::Reader cells(record, reported);
        for (std::size_t column = 0; column < kHeaderColumns; ++column) {
            m_cells[column] = cells.Next();
        }
        MakeCheckCells(reported.check);
    }

    void MakeTitles() {
        m_cells = {"NAME", "SERIAL", "MAKER", "VERSION", "SIZE", "FLAGS"};
        if (m_columns.bHashes) {
            m_cells.insert(m_cells.end(), {"CRC32", "MD5", "SHA1", "BACKUP"});
        }
        if (m_columns.bDat) {
            m_cells.emplace_back("DAT");
        }
    }

    void WidenColumns(std::vector<std::size_t>& widths) const {
        widths.resize(m_cells.size());
        for (std::size_t column = 0; column < m_cells.size(); ++column) {
            widths[column] = std::max(widths[column], DisplayWidth(m_cells[column]));
        }
    }

    void Write(const std::vector<std::size_t>& widths, std::string& out) const {
        for (std::size_t column = 0; column < m_cells.size(); ++column) {
            out += m_cells[column];
            if (column + 1 < m_cells.size()) {
                out.append(widths[column] - DisplayWidth(m_cells[column]) + 2, ' ');
            }
        }
        out += '\n';
    }

private:
    // The hashes and the DAT result, after the header's columns; "-" for
    // what is not known.
    void MakeCheckCells(const EntryCheck* check) {
        std::size_t column = kHeaderColumns;
        if (m_columns.bHashes) {
            struct Cells { // takes the hash fields JSON and CSV show, in their order
                std::vector<std::string>& cells;
                std::size_t& column;
                void Text(std::string_view /*key*/, std::string_view value) {
                    cells[column++] = value.empty() ? "-" : std::string(value);
                }
            } cells{m_cells, column};
            VisitHashFields(check, cells);
        }
        if (m_columns.bDat) {
            const DatMatch unchecked;
            m_cells[column] = DatResultText(check != nullptr ? check->match : unchecked);
            MakePrintable(m_cells[column]);
        }
    }

    ReportColumns m_columns;
    std::vector<std::string> m_cells;
    std::string m_scratch;
};

} // namespace

void CTableReportWriter::PrepareEntry(const ReportedEntry& reported, std::string& record,
                                      FormatScratch& /*scratch*/) const {
    TableLine(PreparedColumns()).Prepare(reported, record);
}

void CTableReportWriter::Write(const std::vector<ReportedEntry>& entries,
                               const std::string* /*folder*/, COutputBuffer& out) {
    TableLine line(m_columns);
    FormatScratch scratch;
    std::vector<std::size_t> widths;
    line.MakeTitles();
    line.WidenColumns(widths);
    for (const ReportedEntry& reported : entries) {
        line.Make(reported, ReadyRecord(reported, scratch));
        line.WidenColumns(widths);
    }
    line.MakeTitles();
    line.Write(widths, out.Text());
    for (const ReportedEntry& reported : entries) {
        line.Make(reported, ReadyRecord(reported, scratch));
        line.Write(widths, out.Text());
        out.Written();
    }
}
