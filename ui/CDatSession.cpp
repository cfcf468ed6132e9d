// Loading a dialog's DAT and checking its images in the background.
#include "CDatSession.h"

#include "DatResultText.h"
#include "dat/CDatFile.h"
#include "romio/DetachedThread.h"

#include <mutex>

// A load's result, handed from its thread to the dialog's. A load that is
// replaced or outlived by its session just ends: nobody waits for it.
struct CDatSession::PendingLoad {
    std::string path;
    std::mutex mutex;
    bool bDone = false;               // guarded by mutex, as are the two below
    std::unique_ptr<CDatIndex> index; // indexed there too: 100,000 ROMs take a while
    std::string error;
};

CDatSession::CDatSession() = default;

CDatSession::~CDatSession() {
    Stop();
}

void CDatSession::BeginLoad(const std::string& path) {
    auto pending = std::make_shared<PendingLoad>();
    pending->path = path;
    auto load = [pending, beforeLoad = m_beforeLoad] {
        if (beforeLoad) {
            beforeLoad();
        }
        DatLoadResult loaded = CDatFile::Load(pending->path);
        std::unique_ptr<CDatIndex> index;
        std::string error;
        if (loaded.dat) {
            index = std::make_unique<CDatIndex>();
            index->Add(std::move(*loaded.dat));
        } else {
            error = loaded.error.Text();
        }
        const std::lock_guard lock(pending->mutex);
        pending->index = std::move(index);
        pending->error = std::move(error);
        pending->bDone = true;
    };
    m_pending = pending;
    if (!StartDetachedThread(load)) {
        load(); // no thread to be had: load here rather than not at all
    }
}

std::optional<std::string> CDatSession::TakeLoaded() {
    if (!m_pending) {
        return std::nullopt;
    }
    std::unique_ptr<CDatIndex> index;
    std::string error;
    {
        const std::lock_guard lock(m_pending->mutex);
        if (!m_pending->bDone) {
            return std::nullopt;
        }
        index = std::move(m_pending->index);
        error = std::move(m_pending->error);
    }
    const std::string path = m_pending->path;
    m_pending.reset();
    if (!index) {
        return error;
    }
    // The running check matches against the old index: it goes first.
    Stop();
    m_index = std::move(index);
    m_strPath = path;
    return std::string();
}

void CDatSession::Start(std::vector<const CRomEntry*> entries) {
    Stop();
    if (!m_index) {
        return;
    }
    m_checks.assign(entries.size(), EntryCheck{});
    m_checker = std::make_unique<CEntryChecker>(m_index.get(), std::move(entries), m_options);
    m_checker->Start(); // without a thread the images left are done, unchecked, with the reason
}

void CDatSession::Stop() {
    if (m_checker) {
        m_checker->Stop();
        m_checker.reset();
    }
    m_checks.clear();
}

bool CDatSession::IsRunning() const {
    return m_checker != nullptr && !m_checker->IsDone();
}

bool CDatSession::TakeFinished() {
    if (!m_checker) {
        return false;
    }
    const std::vector<std::size_t> finished = m_checker->TakeFinished();
    for (const std::size_t position : finished) {
        m_checks.at(position) = m_checker->Get(position);
    }
    return !finished.empty();
}

DatMatchStatus CDatSession::StatusAt(std::size_t position) const {
    return position < m_checks.size() ? m_checks[position].match.status : DatMatchStatus::Unchecked;
}

std::string CDatSession::ResultTextAt(std::size_t position) const {
    if (position >= m_checks.size()) {
        return DatResultText({});
    }
    const EntryCheck& check = m_checks[position];
    std::string text = DatResultText(check.match);
    if (!check.failureText.empty()) {
        text += " (" + check.failureText + ")";
    }
    return text;
}
