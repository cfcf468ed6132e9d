// The order of the ROM list once a scan has ended: ascending by upper-cased
// display name, rows with equal names kept in scan order.
#pragma once

#include "scan/CRomEntryList.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

class CRomEntry;

// Negative, zero or positive as `a`'s display name sorts before, with or after
// `b`'s; names that differ only in ASCII letter case compare equal.
int CompareRomNames(const CRomEntry& a, const CRomEntry& b);

// Same, for two rows' item data (positions in `entries`); a position without
// an entry sorts last.
int CompareRomRows(std::int32_t itemData1, std::int32_t itemData2, const CRomEntryList& entries);

// Stable merge sort that first splits `items` into runs already in order,
// sorts each stretch of short runs as one block, and then merges neighbouring
// runs until one is left. Its result is that of any stable sort. A scan
// delivers its rows as a few long ordered runs (each extension's names come
// sorted) and one stretch of short ones (archives, shown by their entries'
// names): the block is sorted on its own and the long runs cost a few merge
// passes, instead of n log n comparisons over all rows.
template <typename Item, typename Less> void StableSortByRuns(std::vector<Item>& items, Less less) {
    constexpr std::size_t kLongRun = 64;
    std::vector<std::size_t> bounds{0};
    std::size_t runStart = 0;
    std::size_t blockStart = 0; // where the current stretch of short runs began
    const auto endRun = [&](std::size_t runEnd) {
        if (runEnd - runStart < kLongRun) {
            runStart = runEnd;
            return; // a short run joins the block
        }
        if (blockStart < runStart) {
            // The short runs before this long one become one sorted run.
            std::stable_sort(items.begin() + static_cast<std::ptrdiff_t>(blockStart),
                             items.begin() + static_cast<std::ptrdiff_t>(runStart), less);
            bounds.push_back(runStart);
        }
        bounds.push_back(runEnd);
        runStart = blockStart = runEnd;
    };
    for (std::size_t i = 1; i < items.size(); ++i) {
        if (less(items[i], items[i - 1])) {
            endRun(i);
        }
    }
    endRun(items.size());
    if (blockStart < items.size()) {
        std::stable_sort(items.begin() + static_cast<std::ptrdiff_t>(blockStart), items.end(),
                         less);
        bounds.push_back(items.size());
    }
    if (bounds.back() != items.size()) {
        bounds.push_back(items.size());
    }
    std::vector<Item> merged;
    while (bounds.size() > 2) {
        merged.clear();
        merged.reserve(items.size());
        std::vector<std::size_t> mergedBounds{0};
        for (std::size_t run = 0; run + 1 < bounds.size(); run += 2) {
            const auto first = items.begin() + static_cast<std::ptrdiff_t>(bounds[run]);
            const auto middle = items.begin() + static_cast<std::ptrdiff_t>(bounds[run + 1]);
            const auto last = run + 2 < bounds.size()
                                  ? items.begin() + static_cast<std::ptrdiff_t>(bounds[run + 2])
                                  : middle;
            // std::merge takes from the first run on ties, which keeps it stable.
            std::merge(std::make_move_iterator(first), std::make_move_iterator(middle),
                       std::make_move_iterator(middle), std::make_move_iterator(last),
                       std::back_inserter(merged), less);
            mergedBounds.push_back(merged.size());
        }
        items.swap(merged);
        bounds.swap(mergedBounds);
    }
}

// Stable sort of rows by their entries' display names (CompareRomRows).
// `itemDataOf(row)` gives a row's item data. A scan delivers its rows in a few
// ordered runs (each extension's names come sorted), which the sort takes
// advantage of. (Keeping name prefixes beside the rows, as the folder listing
// does, measured slower here: the entries of a scan lie in row order in
// memory, and the extra buffers cost more than they saved.)
template <typename Row, typename ItemDataOf>
void SortRomRows(std::vector<Row>& rows, ItemDataOf itemDataOf, const CRomEntryList& entries) {
    StableSortByRuns(rows, [&](const Row& a, const Row& b) {
        return CompareRomRows(itemDataOf(a), itemDataOf(b), entries) < 0;
    });
}
