// Table output. The table is made in two passes over the entries, one for the
// column widths and one for the text, rather than keeping every cell until the
// widths are known: making a line again costs less than the fresh memory a
// large folder's cells would need.
#include "CTableReportWriter.h"

#include "romio/CFileSystem.h"
#include "scan/CRomEntry.h"
#include "ui/RomDetailFields.h"
#include "ui/RomDetails.h"
#include "ui/TextConversion.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace {

constexpr std::uint64_t kEveryByte = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

std::uint64_t Block(std::string_view text, std::size_t at) {
    std::uint64_t block = 0;
    std::memcpy(&block, text.data() + at, sizeof block);
    return block;
}

// Width on a terminal, counting code points (every text here is UTF-8). Eight
// ASCII bytes at a time are eight code points.
std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    std::size_t i = 0;
    for (; i + sizeof(std::uint64_t) <= text.size(); i += sizeof(std::uint64_t)) {
        if ((Block(text, i) & kHighBits) == 0) {
            width += sizeof(std::uint64_t);
            continue;
        }
        for (std::size_t k = i; k < i + sizeof(std::uint64_t); ++k) {
            width += (static_cast<unsigned char>(text[k]) & 0xC0) != 0x80;
        }
    }
    for (; i < text.size(); ++i) {
        width += (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    }
    return width;
}

// True when the eight bytes hold a control character (below 0x20) or DEL.
bool HasControlByte(std::uint64_t block) {
    const std::uint64_t below20 = (block - kEveryByte * 0x20) & ~block & kHighBits;
    const std::uint64_t del = block ^ (kEveryByte * 0x7F);
    const std::uint64_t isDel = (del - kEveryByte) & ~del & kHighBits;
    return (below20 | isDel) != 0;
}

bool IsControlByte(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

// Control characters would break the table's lines; they show as "?".
void MakePrintable(std::string& text) {
    std::size_t i = 0;
    while (i + sizeof(std::uint64_t) <= text.size() && !HasControlByte(Block(text, i))) {
        i += sizeof(std::uint64_t);
    }
    std::replace_if(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(), IsControlByte, '?');
}

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
    static constexpr std::size_t kColumns = 3 + kTableFields.size();

    void Make(const ReportedEntry& reported) {
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
        m_cells[kColumns - 2] += std::to_string(entry.m_dwSize);
        m_cells[kColumns - 1] += FlagsText(entry, IsHeaderValid(entry));
    }

    void MakeTitles() { m_cells = {"NAME", "SERIAL", "MAKER", "VERSION", "SIZE", "FLAGS"}; }

    void WidenColumns(std::array<std::size_t, kColumns>& widths) const {
        for (std::size_t column = 0; column < kColumns; ++column) {
            widths[column] = std::max(widths[column], DisplayWidth(m_cells[column]));
        }
    }

    void Write(const std::array<std::size_t, kColumns>& widths, std::string& out) const {
        for (std::size_t column = 0; column < kColumns; ++column) {
            out += m_cells[column];
            if (column + 1 < kColumns) {
                out.append(widths[column] - DisplayWidth(m_cells[column]) + 2, ' ');
            }
        }
        out += '\n';
    }

private:
    std::array<std::string, kColumns> m_cells;
    std::string m_scratch;
};

} // namespace

void CTableReportWriter::Write(const std::vector<ReportedEntry>& entries,
                               const std::string* /*folder*/, COutputBuffer& out) {
    TableLine line;
    std::array<std::size_t, TableLine::kColumns> widths{};
    line.MakeTitles();
    line.WidenColumns(widths);
    for (const ReportedEntry& reported : entries) {
        line.Make(reported);
        line.WidenColumns(widths);
    }
    line.MakeTitles();
    line.Write(widths, out.Text());
    for (const ReportedEntry& reported : entries) {
        line.Make(reported);
        line.Write(widths, out.Text());
        out.Written();
    }
}
