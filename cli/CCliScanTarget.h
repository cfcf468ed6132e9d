// The command line's side of a scan: keeps the rows the worker adds, formats
// each entry for the report as soon as it is loaded (on the loading thread),
// shows a progress count on a terminal, and lets the main thread wait for the
// end.
#pragma once

#include "CProgressLine.h"
#include "CRecordStore.h"
#include "CReportWriter.h"
#include "scan/IScanTarget.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// How a scan's entries are prepared for the report: by `writer`, into
// `records`, each entry shown in `folder` (nullptr: the top).
struct ScanReport {
    const CReportWriter* writer = nullptr; // nullptr: nothing is prepared
    CRecordStore* records = nullptr;
    const std::string* folder = nullptr;
};

class CCliScanTarget : public IScanTarget {
public:
    // A row keeps only its item data and its entry's prepared record: the
    // row text is not copied.
    struct Row {
        std::int32_t itemData = -1;
        const char* ready = nullptr; // see ReportedEntry::ready
    };

    // `progressLabel` non-empty: print a running count to stderr (a terminal).
    // `firstEntry`: the position the scan's first entry takes in the entry
    // list (entries of folders walked before stay in it).
    explicit CCliScanTarget(std::string progressLabel = {}, std::int32_t firstEntry = 0,
                            ScanReport report = {});

    int GetRomRowCount() override;
    void InsertRomRow(int row, const std::string& text) override;
    void SetRomRowData(int row, std::int32_t itemData) override;
    std::int32_t GetEntryCount() override;
    void IncrementEntryCount() override;
    void EntryLoaded(const CRomEntry& entry) override;
    void EntryAdded(const CRomEntry& entry) override;
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
    ScanReport m_report;
    // Records prepared for entries loaded but not added yet.
    struct Prepared {
        const CRomEntry* entry;
        const char* record;
    };
    std::mutex m_preparedMutex; // guards these and m_report.records
    std::vector<Prepared> m_prepared;

    std::mutex m_mutex;
    std::condition_variable m_doneSignal;
    bool m_bDone = false;
    int m_nDoneCount = 0;
};
