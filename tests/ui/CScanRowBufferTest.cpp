// Rows from a scan worker to the dialog: complete rows in order, the end
// notice, and nothing at all from a scan that is no longer the current one.
#include "ui/CScanRowBuffer.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Texts(const std::vector<CScanRowBuffer::Row>& rows) {
    std::vector<std::string> texts;
    for (const auto& row : rows) {
        texts.push_back(*row.text + "=" + std::to_string(row.itemData));
    }
    return texts;
}

// What a worker does for one image: row, item data from the count, count.
// `text` lives as long as the test, as an entry's name lives with its entry.
void AddRow(IScanTarget& target, const std::string& text) {
    const int row = target.GetRomRowCount();
    target.InsertRomRow(row, text);
    target.SetRomRowData(row, target.GetEntryCount());
    target.IncrementEntryCount();
}

} // namespace

TEST(ScanRowBuffer, HandsOverCompleteRowsAndDropsAStaleScan) {
    CScanRowBuffer buffer;
    IScanTarget& first = buffer.StartScan();
    const std::string a = "a.gba", late = "late.gba", c = "c.gba", d = "d.gba";
    AddRow(first, a);
    const std::string b = "b.gba";
    first.InsertRomRow(1, b); // its item data is still to come
    EXPECT_EQ(Texts(buffer.TakeRows()), std::vector<std::string>{"a.gba=0"});
    first.SetRomRowData(1, first.GetEntryCount());
    first.IncrementEntryCount();
    EXPECT_EQ(Texts(buffer.TakeRows()), std::vector<std::string>{"b.gba=1"});
    EXPECT_FALSE(buffer.IsDone());

    // A new scan starts from zero; the old one's late reports are dropped.
    IScanTarget& second = buffer.StartScan();
    AddRow(first, late);
    first.PostScanDone();
    EXPECT_EQ(second.GetRomRowCount(), 0);
    EXPECT_EQ(second.GetEntryCount(), 0);
    AddRow(second, c);
    second.PostScanDone();
    EXPECT_TRUE(buffer.IsDone());
    EXPECT_EQ(Texts(buffer.TakeRows()), std::vector<std::string>{"c.gba=0"});

    // A stopped scan reports nothing more, not even its end.
    IScanTarget& third = buffer.StartScan();
    buffer.StopScan();
    AddRow(third, d);
    third.PostScanDone();
    EXPECT_TRUE(buffer.TakeRows().empty());
    EXPECT_FALSE(buffer.IsDone());
}
