// The folder scan worker: on its own thread it reads the first 512 bytes of
// every candidate file in one folder, and for each image read adds a row to
// its owner's list and an entry to g_romEntries, then reports the end.
#pragma once

#include "ScanOptions.h"
#include "header/CartridgeHeader.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

class CGbaRomLoader;
class CRomEntry;
class IScanTarget;

class CReadROMs {
public:
    // `folder` comes without a trailing "/"; "" stands for the root.
    CReadROMs(IScanTarget& dlg, std::string folder, ScanOptions options = {});
    // Stops a running scan and waits for its thread.
    ~CReadROMs();

    CReadROMs(const CReadROMs&) = delete;
    CReadROMs& operator=(const CReadROMs&) = delete;

    // Starts the scan on a new thread. When no thread can be made, the scan
    // done notice is still delivered (so the owner leaves its busy state) and
    // the result is false.
    bool CreateThread();
    // Asks a running scan to end after the file it is reading.
    void RequestStop() { m_bStop.store(true, std::memory_order_relaxed); }
    // Waits for the scan's thread to end; harmless when none runs.
    void Join();

    // The whole scan; runs on the worker's thread (or the caller's, in tests).
    void OnScanStart();

    // The entry for an image `loader` has just loaded into `header`: the
    // information block, names, size, CRC-32 and the logo and complement flags.
    static std::unique_ptr<CRomEntry> MakeEntry(const CGbaRomLoader& loader,
                                                const CartridgeHeader& header, std::string path,
                                                std::string fileName);

    // After the scan: 0, or the errno that kept the folder from being listed.
    int GetListError() const { return m_nListError; }
    const std::string& GetFolder() const { return m_strFolder; }

private:
    IScanTarget* m_pDlg;
    std::string m_strFolder;
    ScanOptions m_options;
    std::atomic<bool> m_bStop{false};
    int m_nListError = 0;
    std::thread m_thread;
};
