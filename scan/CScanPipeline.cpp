// Overlapped loads of one scan, committed in scan order.
#include "CScanPipeline.h"

#include "CReadROMs.h"
#include "CRomEntry.h"
#include "CRomEntryList.h"
#include "IScanTarget.h"
#include "romio/CFileSystem.h"
#include "romio/CGbaRomLoader.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

constexpr std::uint32_t kHeaderBytes = 512;
constexpr int kMaxJobs = 256;

// Finished loads that may wait for an older one, per load in flight.
constexpr std::size_t kWindowPerJob = 32;

// A load that takes this long has waited for its storage: from the page cache
// a load takes microseconds, from a disk, a card reader or a share at least
// a tenth of a millisecond. Each such load doubles the loads in flight, so a
// cold folder reaches the most after a handful of loads, while a folder in
// the page cache whose thread merely lost its core for a moment gains only a
// few idle threads.
constexpr auto kStorageWait = std::chrono::microseconds(200);

int Cores() {
    // Asked once: the C library reads it from the system each time, which a
    // walk through many small folders would otherwise pay for every folder.
    static const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return cores;
}

// Loads in flight when the caller does not say. A folder in memory never
// makes a read wait, so one load per core keeps it busy. Any other storage
// (a disk, a card reader, a network share) may, and then many loads in
// flight hide the waits; when nothing waits (a cached folder), the extra
// threads cost next to nothing.
int DefaultJobs(const std::string& folder) {
    return CFileSystem::IsInMemory(folder) ? Cores() : std::max(32, 4 * Cores());
}

} // namespace

CScanPipeline::CScanPipeline(IScanTarget& target, std::string folder, ScanOptions options)
    : m_target(target), m_strFolder(std::move(folder)), m_options(std::move(options)),
      m_pFolderPrefix(std::make_shared<const std::string>(m_strFolder + CFileSystem::kSeparator)) {}

CScanPipeline::~CScanPipeline() = default;

bool CScanPipeline::List() {
    // The listing, and the look at the storage, run outside the lock: a slow
    // folder must not hold up a stop.
    const bool jobsChosen = m_options.nJobs > 0;
    const int maxJobs =
        std::clamp(jobsChosen ? m_options.nJobs : DefaultJobs(m_strFolder), 1, kMaxJobs);
    const int startJobs = jobsChosen ? maxJobs : std::min(maxJobs, Cores());
    CGbaRomLoader loader;
    CFolderSearch search;
    const int listError = search.List(m_strFolder, loader, m_options.bListSubfolders);
    std::vector<std::size_t> groupEnd;
    std::size_t total = 0;
    for (int slot = 0; slot < search.GetGroupCount(); ++slot) {
        total += search.GetGroup(slot).size();
        groupEnd.push_back(total);
    }

    const std::lock_guard lock(m_mutex);
    if (m_bStopped) {
        return false;
    }
    m_nListError = listError;
    m_nJobs = startJobs;
    m_nMaxJobs = maxJobs;
    // No larger than the folder: a walk makes one for each of its folders.
    m_nWindow =
        std::clamp(total, std::size_t{1}, static_cast<std::size_t>(m_nMaxJobs) * kWindowPerJob);
    m_window = std::make_unique<Slot[]>(m_nWindow);
    m_search = std::move(search);
    m_groupEnd = std::move(groupEnd);
    m_nTotal = total;
    g_romEntries.ReserveMore(total);
    if (m_nTotal == 0) {
        PostDoneOnce();
    }
    return true;
}

std::unique_ptr<CRomEntry> CScanPipeline::Load(std::size_t index, CGbaRomLoader& loader,
                                               std::string& path) {
    const auto group = std::upper_bound(m_groupEnd.begin(), m_groupEnd.end(), index);
    const int slot = static_cast<int>(group - m_groupEnd.begin());
    const std::size_t first = slot == 0 ? 0 : m_groupEnd[static_cast<std::size_t>(slot) - 1];
    // Only the thread that claimed `index` touches its name: it is moved into
    // the entry rather than copied.
    std::string fileName = m_search.TakeName(slot, index - first);

    // The folder part of the path stays from load to load; the name changes.
    const std::size_t folderLength = m_pFolderPrefix->size();
    if (path.size() < folderLength) {
        path = *m_pFolderPrefix;
    }
    path.resize(folderLength);
    path += fileName;
    if (m_options.beforeLoad) {
        m_options.beforeLoad(path);
    }
    CartridgeHeader header{};
    // A name listed as a regular file is opened with a system call less.
    const int loaded = m_search.IsListedRegular(slot, index - first)
                           ? loader.LoadListedFile(path, 0, kHeaderBytes, header)
                           : loader.Load(path, 0, kHeaderBytes, header);
    if (loaded == -1) {
        return nullptr; // unreadable: no row, no entry, nothing reported
    }
    return CReadROMs::MakeEntry(loader, header, m_pFolderPrefix, std::move(fileName));
}

void CScanPipeline::Work(const AddLoaders& addLoaders) {
    CGbaRomLoader loader;
    std::string path;
    while (true) {
        // Claimed without a lock; a claim past the end just ends this thread.
        const std::size_t index = m_nNext.fetch_add(1);
        if (index >= m_nTotal || m_bStopped || !WaitForRoom(index)) {
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        std::unique_ptr<CRomEntry> entry = Load(index, loader, path);
        const bool waited = std::chrono::steady_clock::now() - start >= kStorageWait;
        if (m_bStopped) {
            return; // what was read is dropped
        }
        if (entry) {
            m_target.EntryLoaded(*entry);
        }
        Slot& slot = m_window[index % m_nWindow];
        slot.entry = std::move(entry);
        slot.ready.store(true, std::memory_order_release);
        RequestCommit();
        if (waited && !m_bFullyWide) {
            if (const int more = TakeMoreJobs(); more > 0) {
                addLoaders(more);
            }
        }
    }
}

bool CScanPipeline::WaitForRoom(std::size_t index) {
    if (index < m_nCommitted.load(std::memory_order_acquire) + m_nWindow) {
        return true;
    }
    std::unique_lock lock(m_mutex);
    ++m_nWaitingForRoom;
    m_changed.wait(lock, [&] { return m_bStopped || index < m_nCommitted + m_nWindow; });
    --m_nWaitingForRoom;
    return !m_bStopped;
}

void CScanPipeline::RequestCommit() {
    // Every finished load counts itself in; the thread that finds the count at
    // zero commits, and goes on while loads finished during its commit.
    std::size_t requests = 1;
    if (m_nCommitRequests.fetch_add(requests) != 0) {
        return;
    }
    do {
        const std::lock_guard lock(m_mutex);
        if (!m_bStopped) {
            CommitReady();
        }
    } while ((requests = m_nCommitRequests.fetch_sub(requests) - requests) != 0);
}

int CScanPipeline::TakeMoreJobs() {
    const std::lock_guard lock(m_mutex);
    const std::size_t claimed = std::min(m_nNext.load(), m_nTotal);
    const int more = static_cast<int>(std::min(
        static_cast<std::size_t>(std::min(m_nMaxJobs - m_nJobs, m_nJobs)), m_nTotal - claimed));
    m_nJobs += more;
    if (m_nJobs == m_nMaxJobs) {
        m_bFullyWide = true;
    }
    return more;
}

void CScanPipeline::CommitReady() {
    std::size_t committed = m_nCommitted.load(std::memory_order_relaxed);
    const std::size_t first = committed;
    while (committed < m_nTotal) {
        Slot& slot = m_window[committed % m_nWindow];
        if (!slot.ready.load(std::memory_order_acquire)) {
            break;
        }
        if (slot.entry) {
            // In the order that keeps each row's item data equal to its
            // entry's position: row, item data, count, entry.
            const int row = m_target.GetRomRowCount();
            m_target.InsertRomRow(row, slot.entry->GetDisplayName());
            m_target.SetRomRowData(row, m_target.GetEntryCount());
            m_target.IncrementEntryCount();
            const CRomEntry& added = *slot.entry; // it keeps its address in the list
            g_romEntries.Append(std::move(slot.entry));
            m_target.EntryAdded(added);
        }
        slot.ready.store(false, std::memory_order_relaxed);
        // Released, so that the loader that reuses the slot sees it emptied.
        m_nCommitted.store(++committed, std::memory_order_release);
    }
    if (committed != first && m_nWaitingForRoom > 0) {
        m_changed.notify_all();
    }
    if (committed == m_nTotal) {
        // Every load has returned: nothing reads the listing any more.
        m_search.ReleaseGroups();
        PostDoneOnce();
    }
}

void CScanPipeline::PostDoneOnce() {
    if (!m_bDonePosted && !m_bStopped) {
        m_bDonePosted = true;
        m_target.PostScanDone();
    }
}

void CScanPipeline::PostDoneWithoutScan() {
    const std::lock_guard lock(m_mutex);
    PostDoneOnce();
}

void CScanPipeline::Stop() {
    const std::lock_guard lock(m_mutex);
    m_bStopped = true;
    m_changed.notify_all();
}

void CScanPipeline::ThreadStarted() {
    const std::lock_guard lock(m_mutex);
    ++m_nThreads;
}

void CScanPipeline::ThreadEnded() {
    const std::lock_guard lock(m_mutex);
    --m_nThreads;
    m_changed.notify_all();
}

void CScanPipeline::WaitForThreads() {
    // The last helpers of a small folder end within microseconds; a walk
    // would pay more than that for each folder to sleep and be woken.
    constexpr auto kSpin = std::chrono::microseconds(50);
    const auto until = std::chrono::steady_clock::now() + kSpin;
    while (m_nThreads.load(std::memory_order_acquire) != 0 &&
           std::chrono::steady_clock::now() < until) {
        std::this_thread::yield();
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_nThreads == 0; });
}

int CScanPipeline::GetJobs() const {
    const std::lock_guard lock(m_mutex);
    return m_nJobs;
}

std::size_t CScanPipeline::GetTotal() const {
    const std::lock_guard lock(m_mutex);
    return m_nTotal;
}

std::vector<std::string> CScanPipeline::GetSubfolders() const {
    const std::lock_guard lock(m_mutex);
    return m_search.GetSubfolders();
}

int CScanPipeline::GetListError() const {
    const std::lock_guard lock(m_mutex);
    return m_nListError;
}
