// The order of the ROM list after a scan: by upper-cased display name, the
// inner name of an archived image counting, equal names kept in scan order.
#include "ui/RomSort.h"
#include "scan/CRomEntry.h"
#include "scan/CRomEntryList.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>

using ::testing::ElementsAre;

namespace {

std::unique_ptr<CRomEntry> NamedEntry(const std::string& fileName,
                                      const std::string& innerName = "") {
    auto entry = std::make_unique<CRomEntry>(32);
    entry->m_strFileName = fileName;
    entry->m_strInnerName = innerName;
    return entry;
}

struct Row {
    std::string text;
    std::int32_t itemData;
};

class RomSortTest : public ::testing::Test {
protected:
    void SetUp() override { g_romEntries.RemoveAll(); }
    void TearDown() override { g_romEntries.RemoveAll(); }

    // Appends an entry and its row, as a scan does.
    void Add(const std::string& fileName, const std::string& innerName = "") {
        auto entry = NamedEntry(fileName, innerName);
        const std::string text = entry->GetDisplayName();
        const auto position = static_cast<std::int32_t>(g_romEntries.Append(std::move(entry)));
        m_rows.push_back({text, position});
    }

    std::vector<std::string> SortedTexts() {
        SortRomRows(
            m_rows, [](const Row& row) { return row.itemData; }, g_romEntries);
        std::vector<std::string> texts;
        for (const Row& row : m_rows) {
            texts.push_back(row.text);
        }
        return texts;
    }

    std::vector<Row> m_rows;
};

} // namespace

TEST(CompareRomNames, IgnoresLetterCase) {
    const auto alpha = NamedEntry("alpha.gba");
    const auto beta = NamedEntry("BETA.GBA");
    // A case-sensitive comparison would put BETA.GBA first.
    EXPECT_EQ(CompareRomNames(*alpha, *beta), -1);
    EXPECT_EQ(CompareRomNames(*beta, *alpha), 1);

    const auto upper = NamedEntry("ALPHA.GBA");
    EXPECT_EQ(CompareRomNames(*alpha, *upper), 0);
    EXPECT_EQ(CompareRomNames(*upper, *alpha), 0);
}

TEST(CompareRomNames, UsesTheInnerNameOfAnArchivedImage) {
    const auto archived = NamedEntry("aaa.zip", "demo/b.agb");
    const auto cherry = NamedEntry("cherry.gba");
    const auto echo = NamedEntry("echo.gba");
    EXPECT_EQ(CompareRomNames(*archived, *cherry), 1); // under D, not under A
    EXPECT_EQ(CompareRomNames(*archived, *echo), -1);
}

TEST(CompareRomNames, ReturnsOnlyMinusOneZeroOrOne) {
    const auto a = NamedEntry("a");
    const auto z = NamedEntry("\xFF");
    EXPECT_EQ(CompareRomNames(*a, *z), -1);
    EXPECT_EQ(CompareRomNames(*z, *a), 1);
}

TEST(CompareRomRows, LooksUpTheEntriesByItemData) {
    CRomEntryList entries;
    entries.Append(NamedEntry("zeta.gba"));
    entries.Append(NamedEntry("alpha.gba"));
    EXPECT_EQ(CompareRomRows(0, 1, entries), 1);
    EXPECT_EQ(CompareRomRows(1, 0, entries), -1);
    EXPECT_EQ(CompareRomRows(1, 1, entries), 0);
}

TEST(CompareRomRows, ItemDataWithoutAnEntrySortsLast) {
    CRomEntryList entries;
    entries.Append(NamedEntry("zeta.gba"));
    EXPECT_LT(CompareRomRows(0, 5, entries), 0);
    EXPECT_GT(CompareRomRows(-1, 0, entries), 0);
    EXPECT_EQ(CompareRomRows(7, -3, entries), 0);
}

TEST_F(RomSortTest, SortsByUpperCasedDisplayName) {
    Add("zeta.gba");
    Add("Alpha.gba");
    Add("beta.GBA");

    EXPECT_THAT(SortedTexts(), ElementsAre("Alpha.gba", "beta.GBA", "zeta.gba"));
}

TEST_F(RomSortTest, ArchivedImageSortsUnderItsInnerName) {
    Add("cherry.gba");
    Add("apple.zip", "demo/b.agb");
    Add("echo.gba");
    Add("banana.gba");

    EXPECT_THAT(SortedTexts(), ElementsAre("banana.gba", "cherry.gba", "demo/b.agb", "echo.gba"));
}

TEST_F(RomSortTest, NamesEqualButForCaseKeepTheirScanOrder) {
    Add("GAME.gba");
    Add("b.gba");
    Add("game.GBA");
    Add("Game.gba");
    Add("a.bin");

    SortedTexts();

    ASSERT_EQ(m_rows.size(), 5u);
    EXPECT_EQ(m_rows[0].text, "a.bin");
    EXPECT_EQ(m_rows[1].text, "b.gba");
    EXPECT_EQ(m_rows[2].itemData, 0);
    EXPECT_EQ(m_rows[3].itemData, 2);
    EXPECT_EQ(m_rows[4].itemData, 3);
}

TEST_F(RomSortTest, RowsKeepPointingAtTheirOwnEntries) {
    Add("c.gba");
    Add("a.gba");
    Add("b.zip", "b-inner.agb");

    SortedTexts();

    for (const Row& row : m_rows) {
        const CRomEntry* entry = g_romEntries.GetAt(static_cast<std::size_t>(row.itemData));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->GetDisplayName(), row.text);
    }
}

TEST_F(RomSortTest, EmptyAndSingleRowListsAreLeftAlone) {
    EXPECT_TRUE(SortedTexts().empty());
    Add("only.gba");
    EXPECT_THAT(SortedTexts(), ElementsAre("only.gba"));
}

TEST(StableSortByRuns, GivesWhatAStableSortGivesForAnyRunsOfInput) {
    // Keys with many repeats, tagged with their position, so that any lapse in
    // stability changes the result.
    using Item = std::pair<int, int>;
    const auto byKey = [](const Item& a, const Item& b) { return a.first < b.first; };
    std::mt19937 random(7);
    // 1 run is already sorted; a scan gives a few, long and short mixed;
    // 5,000 runs of up to 3 is nearly shuffled; run length 1 is a shuffled input.
    for (const auto& [runs, longestRun] :
         {std::pair{1, 500}, std::pair{4, 400}, std::pair{300, 150}, std::pair{5, 1},
          std::pair{5000, 3}, std::pair{2000, 1}}) {
        std::vector<Item> items;
        for (int run = 0; run < runs; ++run) {
            std::vector<int> keys(1 + random() % longestRun);
            for (int& key : keys) {
                key = static_cast<int>(random() % 40);
            }
            std::sort(keys.begin(), keys.end());
            for (const int key : keys) {
                items.emplace_back(key, static_cast<int>(items.size()));
            }
        }
        std::vector<Item> expected = items;
        std::stable_sort(expected.begin(), expected.end(), byKey);

        StableSortByRuns(items, byKey);

        EXPECT_EQ(items, expected) << runs << " runs";
    }
}
