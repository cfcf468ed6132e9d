// The order of the ROM list once a scan has ended: ascending by upper-cased
// display name, rows with equal names kept in scan order.
#pragma once

#include "scan/CRomEntryList.h"

#include <algorithm>
#include <cstdint>
#include <vector>

class CRomEntry;

// Negative, zero or positive as `a`'s display name sorts before, with or after
// `b`'s; names that differ only in ASCII letter case compare equal.
int CompareRomNames(const CRomEntry& a, const CRomEntry& b);

// Same, for two rows' item data (positions in `entries`); a position without
// an entry sorts last.
int CompareRomRows(std::int32_t itemData1, std::int32_t itemData2, const CRomEntryList& entries);

// Stable sort of rows by their entries' display names. `itemDataOf(row)` gives
// a row's item data.
template <typename Row, typename ItemDataOf>
void SortRomRows(std::vector<Row>& rows, ItemDataOf itemDataOf,
                 const CRomEntryList& entries = g_romEntries) {
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        return CompareRomRows(itemDataOf(a), itemDataOf(b), entries) < 0;
    });
}
