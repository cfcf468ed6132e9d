// Rows on their way from a scan worker's thread to the dialog's thread. A
// worker reports to the scan target that StartScan() handed out for its scan;
// the dialog takes the finished rows in batches on its own thread and learns
// there when the scan is done. The worker never waits for the dialog's thread.
//
// Every scan has a number, and each target knows its own: whatever a target
// reports once its scan is no longer the current one (it was stopped, or
// another began) is dropped, so a late worker can never put its rows or its
// end notice into another scan.
#pragma once

#include "scan/IScanTarget.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CScanRowBuffer {
public:
    struct Row {
        // The entry's display name, as the scan gives it: kept by the entry
        // until the entry list is emptied (see IScanTarget::InsertRomRow).
        const std::string* text = nullptr;
        std::int32_t itemData = -1; // its entry's position in the entry list
    };

    CScanRowBuffer();
    ~CScanRowBuffer();
    CScanRowBuffer(const CScanRowBuffer&) = delete;
    CScanRowBuffer& operator=(const CScanRowBuffer&) = delete;

    // Drops what is buffered, zeroes the rows and the running entry count,
    // ends the former scan and returns the target of the new one. The target
    // stays valid as long as the buffer.
    IScanTarget& StartScan();
    // Ends the current scan: nothing it reports from now on is kept.
    void StopScan();

    // The rows that have their item data, in the order they were added (the
    // last row may still wait for its item data, until the next call).
    std::vector<Row> TakeRows();
    // True when the current scan has posted its end notice; every row it
    // added is then ready for TakeRows().
    bool IsDone() const;
    // The current scan's number (0 before the first).
    unsigned GetScanNumber() const;

private:
    class CScanTarget;

    // What the targets call, each with its scan's number.
    int GetRomRowCount(unsigned scan);
    void InsertRomRow(unsigned scan, int row, const std::string& text);
    void SetRomRowData(unsigned scan, int row, std::int32_t itemData);
    std::int32_t GetEntryCount(unsigned scan);
    void IncrementEntryCount(unsigned scan);
    void PostScanDone(unsigned scan);

    mutable std::mutex m_mutex;
    unsigned m_nScan = 0;
    std::vector<Row> m_rows; // added and not taken yet
    int m_nRowCount = 0;     // added in this scan, taken or not
    std::int32_t m_nEntryCount = 0;
    bool m_bDone = false;
    // One per scan started, kept for the buffer's life: a worker that is
    // still running after its scan ended may go on calling its target.
    std::vector<std::unique_ptr<CScanTarget>> m_targets;
};
