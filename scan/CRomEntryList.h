// The process-wide list of entries found by the last scan. A row of the ROM
// list carries its entry's position here as item data, so rows can be sorted
// freely. The list owns its entries.
#pragma once

#include "CRomEntry.h"

#include <cstddef>
#include <memory>
#include <vector>

class CRomEntryList {
public:
    std::size_t GetSize() const { return m_entries.size(); }
    // The entry at `position`, or nullptr when there is none.
    const CRomEntry* GetAt(std::size_t position) const {
        return position < m_entries.size() ? m_entries[position].get() : nullptr;
    }
    // Appends at the end and returns the entry's position.
    std::size_t Append(std::unique_ptr<CRomEntry> entry);
    // Makes room for `count` more entries: a scan that knows how many images
    // may come spares the list its growth by doubling.
    void ReserveMore(std::size_t count);
    // Empties the list, freeing every entry.
    void RemoveAll();

private:
    std::vector<std::unique_ptr<CRomEntry>> m_entries;
};

// Written only by the scan worker while a scan runs, read by the dialog after it.
extern CRomEntryList g_romEntries;
