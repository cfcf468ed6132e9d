// Overlapped whole-image hashing: threads that each take the next job, and
// a delivery lock that no thread holds while it reads.
#include "CBatchHasher.h"

#include "CDigestContext.h"

#include "CImageHasher.h"
#include "DetachedThread.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <numeric>
#include <thread>

namespace {
constexpr int kMaxThreads = 256;
} // namespace

class CBatchHasher::CShared {
public:
    CShared(std::vector<HashJob> jobs, BatchHashOptions options, ResultHandler onResult)
        : m_jobs(std::move(jobs)), m_options(std::move(options)), m_onResult(std::move(onResult)),
          m_bytesTotal(std::accumulate(m_jobs.begin(), m_jobs.end(), std::uint64_t{0},
                                       [](std::uint64_t sum, const HashJob& job) {
                                           return sum + job.knownSize.value_or(0);
                                       })) {}

    // Marks the batch started; false when it already was.
    bool MarkStarted() {
        const std::lock_guard lock(m_mutex);
        return !std::exchange(m_bStarted, true);
    }
    std::size_t JobCount() const { return m_jobs.size(); }
    int ThreadsWanted() const {
        const int wanted =
            m_options.nThreads > 0
                ? m_options.nThreads
                : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
        return static_cast<int>(std::min<std::size_t>(
            static_cast<std::size_t>(std::clamp(wanted, 1, kMaxThreads)), m_jobs.size()));
    }

    // Hashes jobs until none is left or the batch stopped.
    void Work();

    void Stop() {
        m_bStopped.store(true);
        // A callback under way on another thread is let finish, so that none
        // runs once this returns; one calling Stop() itself must not wait
        // for itself.
        if (m_deliveringThread.load() != std::this_thread::get_id()) {
            const std::lock_guard lock(m_mutex);
        }
        m_changed.notify_all();
    }

    bool WaitUntilDone(std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [this] {
            return m_bStopped.load() || m_imagesDone.load() == m_jobs.size();
        });
    }

    void ThreadStarted() {
        const std::lock_guard lock(m_mutex);
        ++m_nThreads;
    }
    void ThreadEnded() {
        const std::lock_guard lock(m_mutex);
        --m_nThreads;
        m_changed.notify_all();
    }
    void WaitForThreads() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_nThreads == 0; });
    }

    BatchProgress GetProgress() const {
        // Bytes done first: read after it, the total is never the smaller.
        BatchProgress progress;
        progress.imagesTotal = m_jobs.size();
        progress.imagesDone = m_imagesDone.load();
        progress.bytesDone = m_bytesDone.load();
        progress.bytesTotal = m_bytesTotal.load();
        return progress;
    }

private:
    // Hands `result` to the caller unless the batch has stopped.
    void Deliver(std::size_t index, const HashResult& result);

    const std::vector<HashJob> m_jobs;
    const BatchHashOptions m_options;
    const ResultHandler m_onResult;

    std::atomic<bool> m_bStopped{false};
    std::atomic<std::size_t> m_nNext{0}; // the next job to take
    std::atomic<std::size_t> m_imagesDone{0};
    std::atomic<std::uint64_t> m_bytesDone{0};
    std::atomic<std::uint64_t> m_bytesTotal;
    std::atomic<std::thread::id> m_deliveringThread{};

    // Held while a callback runs, never during a read; guards what follows.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bStarted = false;
    int m_nThreads = 0;
};

void CBatchHasher::CShared::Work() {
    CImageHasher hasher;
    while (!m_bStopped.load()) {
        const std::size_t index = m_nNext.fetch_add(1);
        if (index >= m_jobs.size()) {
            return;
        }
        const HashJob& job = m_jobs[index];
        if (m_options.beforeHash) {
            m_options.beforeHash(job.path);
        }
        // This image's part of the byte total: the size the job gave until
        // the real one is known, and what was hashed once it is finished.
        // Each change goes in as one addition (modulo 2^64), so the total is
        // always a sum of such parts.
        std::uint64_t counted = job.knownSize.value_or(0);
        std::uint64_t hashed = 0;
        CImageHasher::Progress progress;
        progress.onSize = [&](std::uint64_t size) {
            m_bytesTotal.fetch_add(size - counted);
            counted = size;
        };
        progress.onBytes = [&](std::size_t bytes) {
            m_bytesDone.fetch_add(bytes);
            hashed += bytes;
        };
        const HashResult result = hasher.Hash(job.path, m_options.hash, m_bStopped, progress);
        m_bytesTotal.fetch_add(hashed - counted);
        Deliver(index, result);
    }
}

void CBatchHasher::CShared::Deliver(std::size_t index, const HashResult& result) {
    const std::lock_guard lock(m_mutex);
    if (m_bStopped.load()) {
        return; // what was hashed is dropped
    }
    m_deliveringThread.store(std::this_thread::get_id());
    m_onResult(index, result);
    m_deliveringThread.store(std::thread::id());
    if (m_imagesDone.fetch_add(1) + 1 == m_jobs.size()) {
        m_changed.notify_all();
    }
}

namespace {

// Runs `work` on a new thread that `shared` counts; false when no thread
// could be made.
template <typename Shared, typename Work>
bool StartCountedThread(const std::shared_ptr<Shared>& shared, Work work) {
    shared->ThreadStarted();
    // Detached, as a scan's are; the thread keeps what it shares alive itself.
    if (StartDetachedThread([shared, work] {
            work();
            shared->ThreadEnded();
        })) {
        return true;
    }
    shared->ThreadEnded();
    return false;
}

} // namespace

CBatchHasher::CBatchHasher(std::vector<HashJob> jobs, BatchHashOptions options,
                           ResultHandler onResult)
    : m_shared(
          std::make_shared<CShared>(std::move(jobs), std::move(options), std::move(onResult))) {}

CBatchHasher::~CBatchHasher() {
    Stop();
}

bool CBatchHasher::Start() {
    if (!m_shared->MarkStarted()) {
        return false;
    }
    const int wanted = m_shared->ThreadsWanted();
    int started = 0;
    for (; started < wanted; ++started) {
        const std::shared_ptr<CShared> shared = m_shared;
        const auto work = [shared] {
            shared->Work();
            CDigestContext::ReleaseThreadState();
        };
        if (!StartCountedThread(shared, work)) {
            break; // the threads there are take its share
        }
    }
    if (started == 0 && m_shared->JobCount() > 0) {
        m_shared->Stop(); // nothing will be delivered: let waits end
        return false;
    }
    return true;
}

void CBatchHasher::Stop() {
    m_shared->Stop();
}

bool CBatchHasher::WaitUntilDone(std::chrono::milliseconds timeout) {
    return m_shared->WaitUntilDone(timeout);
}

void CBatchHasher::Join() {
    m_shared->WaitForThreads();
}

BatchProgress CBatchHasher::GetProgress() const {
    return m_shared->GetProgress();
}
