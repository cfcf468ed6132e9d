// Rows from a scan worker to the dialog: complete rows in order, the end
// notice, and nothing at all from a scan that is no longer the current one.
#include "app/core/CScanRowBuffer.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Texts(const std::vector<CScanRowBuffer::Row>& rows) {
    std::vector<std::string> texts;
    for (const auto& row : rows) {
        texts.push_back(row.text + "=" + std::to_string(row.itemData));
    }
    return texts;
}

// What a worker does for one image: row, item data from the count, count.
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
    AddRow(first, "a.gba");
    first.InsertRomRow(1, "b.gba"); // its item data is still to come
    EXPECT_EQ(Texts(buffer.TakeRows()), std::vector<std::string>{"a.gba=0"});
    first.SetRomRowData(1, first.GetEntryCount());
    first.IncrementEntryCount();
    EXPECT_EQ(Texts(buffer.TakeRows()), std::vector<std::string>{"b.gba=1"});
    EXPECT_FALSE(buffer.IsDone());

    // A new scan starts from zero; the old one's late reports are dropped.
    IScanTarget& second = buffer.StartScan();
    AddRow(first, "late.gba");
    first.PostScanDone();
    EXPECT_EQ(second.GetRomRowCount(), 0);
    EXPECT_EQ(second.GetEntryCount(), 0);
    AddRow(second, "c.gba");
    second.PostScanDone();
    EXPECT_TRUE(buffer.IsDone());
    EXPECT_EQ(Texts(buffer.TakeRows()), std::vector<std::string>{"c.gba=0"});

    // A stopped scan reports nothing more, not even its end.
    IScanTarget& third = buffer.StartScan();
    buffer.StopScan();
    AddRow(third, "d.gba");
    third.PostScanDone();
    EXPECT_TRUE(buffer.TakeRows().empty());
    EXPECT_FALSE(buffer.IsDone());
}
