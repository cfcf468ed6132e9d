// The command line's side of a scan: keeps the rows the worker adds, shows a
// progress count on a terminal, and lets the main thread wait for the end.
#pragma once

#include "CProgressLine.h"
#include "scan/IScanTarget.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class CCliScanTarget : public IScanTarget {
public:
    // A row keeps only its item data: everything printed comes from the entry,
    // so the row text is not copied.
    struct Row {
        std::int32_t itemData = -1;
    };

    // `progressLabel` non-empty: print a running count to stderr (a terminal).
    // `firstEntry`: the position the scan's first entry takes in the entry
    // list (entries of folders walked before stay in it).
    explicit CCliScanTarget(std::string progressLabel = {}, std::int32_t firstEntry = 0);

    int GetRomRowCount() override;
    void InsertRomRow(int row, const std::string& text) override;
    void SetRomRowData(int row, std::int32_t itemData) override;
    std::int32_t GetEntryCount() override;
    void IncrementEntryCount() override;
    void PostScanDone() override;

    // Blocks until PostScanDone() has been called.
    void WaitForDone();
    // The rows; read them only after WaitForDone().
    std::vector<Row>& GetRows() { return m_rows; }
    int GetDoneCount() const { return m_nDoneCount; }

private:
    std::vector<Row> m_rows;
    std::int32_t m_nEntryCount;
    std::string m_strProgressLabel;
    CProgressLine m_progress;

    std::mutex m_mutex;
    std::condition_variable m_doneSignal;
    bool m_bDone = false;
    int m_nDoneCount = 0;
};
