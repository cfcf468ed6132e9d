// The folder scan worker: on threads of its own it reads the first 512 bytes
// of every candidate file in one folder, several at a time, and for each
// image read adds a row to its owner's list and an entry to g_romEntries, in
// scan order, then reports the end.
#pragma once

#include "ScanOptions.h"
#include "header/CartridgeHeader.h"

#include <memory>
#include <string>
#include <vector>

class CGbaRomLoader;
class CLoaderPool;
class CRomEntry;
class CScanPipeline;
class IScanTarget;

class CReadROMs {
public:
    // `folder` comes without a trailing separator; "" stands for the root.
    CReadROMs(IScanTarget& dlg, std::string folder, ScanOptions options = {});
    // Stops a running scan; does not wait for it (see RequestStop).
    ~CReadROMs();

    CReadROMs(const CReadROMs&) = delete;
    CReadROMs& operator=(const CReadROMs&) = delete;

    // Starts the scan on threads of its own. When no thread can be made, the
    // scan done notice is still delivered (so the owner leaves its busy
    // state) and the result is false.
    bool CreateThread();
    // Ends the scan at once, without waiting for reads under way: once this
    // returns, the scan makes no further call into its target and adds
    // nothing to g_romEntries, its end notice included. Reads still blocked
    // in a slow device finish on their own and their results are dropped.
    void RequestStop();
    // Waits until every thread of the scan has ended; harmless when none runs.
    // After a stop that includes reads still blocked in a device.
    void Join();

    // The whole scan on the calling thread, with helper threads for the other
    // loads in flight; returns when the scan and all its threads have ended.
    void OnScanStart();

    // The entry for an image `loader` has just loaded into `header`: the
    // information block, names, size, CRC-32 and the logo and complement flags.
    // `folderPrefix`: the folder the file was found in, with its trailing
    // separator, shared by the entries of one folder.
    static std::unique_ptr<CRomEntry> MakeEntry(const CGbaRomLoader& loader,
                                                const CartridgeHeader& header,
                                                std::shared_ptr<const std::string> folderPrefix,
                                                std::string fileName);
    // The same for a file named by its whole `path`.
    static std::unique_ptr<CRomEntry>
    MakeEntry(const CGbaRomLoader& loader, const CartridgeHeader& header, const std::string& path);

    // After the scan: 0, or the error code that kept the folder from being listed.
    int GetListError() const;
    // After the scan: the folder's subfolders in name order, when the options
    // asked for them.
    std::vector<std::string> GetSubfolders() const;
    const std::string& GetFolder() const { return m_strFolder; }

private:
    // The scan on the current thread: the listing, the helpers, the loads.
    static void Run(const std::shared_ptr<CScanPipeline>& pipeline,
                    const std::shared_ptr<CLoaderPool>& pool);
    // Starts `count` more threads loading for the scan (on `pool`, when there is one).
    static void StartLoaders(const std::shared_ptr<CScanPipeline>& pipeline,
                             const std::shared_ptr<CLoaderPool>& pool, int count);

    std::string m_strFolder;
    std::shared_ptr<CLoaderPool> m_pool;
    // Shared with the scan's threads, which may outlive this object.
    std::shared_ptr<CScanPipeline> m_pipeline;
};
