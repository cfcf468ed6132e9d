// What the scan worker needs of its owner (the dialog, or the command line):
// the ROM list's rows, the running entry count, and the end-of-scan notice.
// The worker calls all of these but EntryLoaded() from one of its threads,
// one call at a time, while it holds the lock that a stop takes: none of them
// may wait for the owner's thread.
#pragma once

#include <cstdint>
#include <string>

class CRomEntry;

class IScanTarget {
public:
    virtual ~IScanTarget() = default;

    // Number of rows in the ROM list; the index a new row gets.
    virtual int GetRomRowCount() = 0;
    // Adds a row with `text` at `row` (always the end during a scan). `text`
    // is the display name of the entry the scan appends to g_romEntries next:
    // it stays valid, unchanged and at the same address until that list is
    // emptied, so a target may keep a pointer to it rather than a copy.
    virtual void InsertRomRow(int row, const std::string& text) = 0;
    // Sets the row's item data: its entry's position in g_romEntries.
    virtual void SetRomRowData(int row, std::int32_t itemData) = 0;
    // The running entry count, m_nEntryCount.
    virtual std::int32_t GetEntryCount() = 0;
    virtual void IncrementEntryCount() = 0;
    // An entry just loaded, before it is committed. Unlike the calls above,
    // made outside the lock, by several of the worker's threads at once: a
    // target may prepare what it shows of the entry here without holding up
    // the scan. The entry keeps its address when it is added. A load under
    // way when a stop comes may still call it, so a target that does anything
    // here must outlive the scan's threads. The default does nothing.
    virtual void EntryLoaded(const CRomEntry& /*entry*/) {}
    // The entry of the row inserted last, just appended to g_romEntries (at
    // the position that is the row's item data); the default does nothing.
    virtual void EntryAdded(const CRomEntry& /*entry*/) {}
    // WM_SCAN_DONE: the last row and entry have been added. Called exactly
    // once per scan that ends normally; never after a stop.
    virtual void PostScanDone() = 0;
};
