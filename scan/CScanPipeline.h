// The loads of one folder scan, run by several threads at once and handed to
// the scan's target strictly in scan order: each thread claims the next
// candidate, loads and judges it on its own, and files what it made in the
// candidate's slot. One thread at a time commits every finished load from the
// oldest outstanding one on (row, item data, count, entry), so the target sees
// exactly what a scan reading one file at a time would show; a thread that
// finds another committing leaves its slot to it and goes on loading, so
// threads never queue at the commit. At most a window of candidates is
// claimed ahead of the last one committed, which bounds the memory to the
// loads in flight.
//
// Unless the options say how many, a scan starts with one load per core and
// doubles its loads in flight with every load that has had to wait for its
// storage: on a folder the page cache holds, threads beyond the cores would
// only take turns at the cores.
//
// Stop() takes effect at once: the commits and the stop share one lock that
// no thread holds while it reads a file, so a thread blocked in a read never
// delays it, and once Stop() has returned nothing reaches the target or the
// entry list again. Threads still blocked in a read finish on their own and
// drop what they read.
#pragma once

#include "CFolderSearch.h"
#include "ScanOptions.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CRomEntry;
class IScanTarget;

class CScanPipeline {
public:
    CScanPipeline(IScanTarget& target, std::string folder, ScanOptions options);
    ~CScanPipeline();
    CScanPipeline(const CScanPipeline&) = delete;
    CScanPipeline& operator=(const CScanPipeline&) = delete;

    // Lists the folder (once); an empty folder ends the scan here. Returns
    // false when the scan was stopped meanwhile.
    bool List();
    // Starts `count` more threads that each call Work().
    using AddLoaders = std::function<void(int count)>;
    // Loads and commits until every candidate is done or the scan stopped;
    // calls `addLoaders` (outside the lock) when the scan should read more at
    // once.
    void Work(const AddLoaders& addLoaders);
    void Stop();
    // Posts the end notice of a scan that could not run at all.
    void PostDoneWithoutScan();

    // Threads of this scan: each calls ThreadStarted() before it may touch
    // the pipeline and ThreadEnded() when it no longer does.
    void ThreadStarted();
    void ThreadEnded();
    // Waits until every thread of the scan has ended.
    void WaitForThreads();

    // How many loads to keep in flight from the start (decided by List()).
    int GetJobs() const;
    // How many candidates the listing found.
    std::size_t GetTotal() const;
    // 0, or the error code that kept the folder from being listed.
    int GetListError() const;
    // The subfolders listed, when the options asked for them.
    std::vector<std::string> GetSubfolders() const;

private:
    struct Slot {
        std::unique_ptr<CRomEntry> entry; // nullptr: the candidate is not an image
        std::atomic<bool> ready = false;  // set by the loader, cleared by the commit
    };

    // Waits until candidate `index` lies within the window; false when the
    // scan was stopped meanwhile.
    bool WaitForRoom(std::size_t index);
    // Commits what is ready, unless another thread is committing: that one
    // then commits this thread's load as well before it stops.
    void RequestCommit();
    // Commits every finished load from the oldest on; posts the end notice
    // after the last. Called with m_mutex held.
    void CommitReady();
    void PostDoneOnce();
    // Doubles the loads in flight, up to the most allowed; returns how many
    // more threads that takes.
    int TakeMoreJobs();
    // Loads candidate `index` (outside the lock).
    std::unique_ptr<CRomEntry> Load(std::size_t index, class CGbaRomLoader& loader,
                                    std::string& path);

    IScanTarget& m_target;
    const std::string m_strFolder;
    const ScanOptions m_options;
    // The folder and a separator, shared by the scan's entries.
    const std::shared_ptr<const std::string> m_pFolderPrefix;

    // Set by List() before any loader starts, read-only afterwards (but for
    // m_search: each name is taken by the one thread that loads it, and the
    // emptied names are freed once the last entry is committed).
    CFolderSearch m_search;
    std::vector<std::size_t> m_groupEnd; // the flat index each group ends at
    std::size_t m_nTotal = 0;
    std::unique_ptr<Slot[]> m_window; // by index modulo its size
    std::size_t m_nWindow = 0;

    std::atomic<std::size_t> m_nNext = 0;           // the next candidate to claim
    std::atomic<std::size_t> m_nCommitted = 0;      // candidates handed to the target
    std::atomic<std::size_t> m_nCommitRequests = 0; // finished loads not yet looked at
    std::atomic<bool> m_bStopped = false;           // set under m_mutex
    std::atomic<bool> m_bFullyWide = false;         // as many loads in flight as allowed

    mutable std::mutex m_mutex; // guards the target, the entry list and everything below
    std::condition_variable m_changed;
    int m_nJobs = 1;    // loads in flight now
    int m_nMaxJobs = 1; // and at most
    bool m_bDonePosted = false;
    int m_nListError = 0;
    int m_nWaitingForRoom = 0;
    std::atomic<int> m_nThreads = 0; // changed under m_mutex
};
