// quillbey-cli's table beyond the golden files: columns that line up in
// characters, and the table of an empty folder.
#include "CliTest.h"
#include "tests/support/ZipBuilder.h"
#include "ui/TextConversion.h"

#include <gmock/gmock.h>

#include <sstream>

using namespace testing_support;
using ::testing::ElementsAre;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// A table line cut into its cells: cells are separated by two or more spaces.
std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    while (start < line.size()) {
        std::size_t gap = line.find("  ", start);
        cells.push_back(line.substr(start, gap - start));
        if (gap == std::string::npos) {
            break;
        }
        start = line.find_first_not_of(' ', gap);
    }
    return cells;
}

// Where each cell of a table line starts, counted in characters (UTF-8).
std::vector<std::size_t> ColumnStarts(const std::string& line) {
    std::vector<std::size_t> starts;
    std::size_t column = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) {
            continue; // a continuation byte adds no character
        }
        const bool afterGap = i == 0 || (i >= 2 && line[i - 1] == ' ' && line[i - 2] == ' ');
        if (line[i] != ' ' && afterGap) {
            starts.push_back(column);
        }
        ++column;
    }
    return starts;
}

} // namespace

TEST_F(CliTest, TableColumnsLineUpInCharactersNotBytes) {
    HeaderFields ascii;
    WriteImage("plain-name.gba", ascii);
    HeaderFields accented;
    accented.maker = "5X";                         // one two-byte character in UTF-8
    WriteImage("\xC3\xA9t\xC3\xA9.gba", accented); // a name Windows can hold too

    const auto result = Run({"scan", m_dir.Path()});

    ASSERT_EQ(result.exitCode, 0) << result.err;
    ASSERT_TRUE(IsValidUtf8(result.out));
    const auto lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 3u);
    // Each column starts at the same character position on every line.
    const auto header = ColumnStarts(lines[0]);
    ASSERT_EQ(header.size(), 6u);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(ColumnStarts(lines[i]), header) << lines[i];
    }
}

TEST_F(CliTest, TableOfAnEmptyFolderIsTheHeaderLineAlone) {
    const auto result = Run({"scan", m_dir.Path()});

    ASSERT_EQ(result.exitCode, 0);
    const auto lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(Cells(lines[0]),
                ElementsAre("NAME", "SERIAL", "MAKER", "VERSION", "SIZE", "FLAGS"));
}
