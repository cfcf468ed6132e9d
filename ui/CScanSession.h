// A dialog's folder scans, one at a time: starting the worker on a folder,
// stopping it without waiting, and handing the dialog's thread, whenever it
// asks, the rows found so far and the news that the scan has ended. The
// worker reports through a CScanRowBuffer and never waits for the dialog.
#pragma once

#include "CScanRowBuffer.h"
#include "scan/ScanOptions.h"

#include <memory>
#include <string>
#include <vector>

class CReadROMs;

class CScanSession {
public:
    struct Progress {
        std::vector<CScanRowBuffer::Row> rows; // new rows, in scan order
        bool done = false; // the scan has ended; every row of it has been handed over
    };

    CScanSession();
    // Stops a running scan.
    ~CScanSession();
    CScanSession(const CScanSession&) = delete;
    CScanSession& operator=(const CScanSession&) = delete;

    // How the next scans run.
    void SetOptions(ScanOptions options) { m_options = std::move(options); }

    // Stops a running scan, empties g_romEntries and scans `folder` (as the
    // scan takes it: without a trailing separator, "" for the root). When no
    // thread can be made, the scan ends at once, with no rows.
    void Start(const std::string& folder);
    // Ends a running scan at once: nothing it finds from now on is handed over.
    void Stop();
    bool IsRunning() const { return m_pReadThread != nullptr; }

    // What the scan has found since the last call, and whether it is done.
    Progress TakeProgress();

private:
    CScanRowBuffer m_rows;
    std::unique_ptr<CReadROMs> m_pReadThread;
    ScanOptions m_options;
};
