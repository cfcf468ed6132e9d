// Matching a scan's images against the DATs, hashing those that need it.
#include "CEntryChecker.h"

#include "dat/CDatMatcher.h"
#include "header/CartridgeHeader.h"
#include "scan/CRomEntry.h"

#include <mutex>

class CEntryChecker::CState {
public:
    explicit CState(std::size_t count) : m_checks(count) {}

    void Finish(std::size_t position, EntryCheck check) {
        check.bDone = true;
        const std::lock_guard lock(m_mutex);
        m_checks[position] = std::move(check);
        m_finished.push_back(position);
        ++m_nDone;
    }
    EntryCheck Get(std::size_t position) const {
        const std::lock_guard lock(m_mutex);
        return m_checks.at(position);
    }
    std::vector<std::size_t> TakeFinished() {
        const std::lock_guard lock(m_mutex);
        return std::exchange(m_finished, {});
    }
    bool AllDone() const {
        const std::lock_guard lock(m_mutex);
        return m_nDone == m_checks.size();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<EntryCheck> m_checks;
    std::vector<std::size_t> m_finished;
    std::size_t m_nDone = 0;
};

namespace {

std::string GameCodeOf(const CRomEntry& entry) {
    CartridgeHeader header{};
    entry.RestoreSlice(header);
    const auto* code = reinterpret_cast<const char*>(header.data() + HeaderOffset::GameCode);
    return std::string(code, 4);
}

// What the archive's directory (or a whole-image hash) tells of the image.
ImageFacts FactsOf(const CRomEntry& entry, const ImageHashes* hashes) {
    ImageFacts facts;
    facts.fileName = entry.GetDisplayName();
    facts.gameCode = GameCodeOf(entry);
    if (hashes != nullptr) {
        facts.size = hashes->size;
        facts.crc32 = hashes->crc32;
        facts.sha1 = hashes->sha1;
        facts.md5 = hashes->md5;
    } else if (!entry.m_strInnerName.empty()) {
        facts.size = entry.m_dwSize;
        facts.crc32 = entry.m_dwCrc32;
    }
    return facts;
}

DatMatch MatchFacts(const CDatIndex* index, const ImageFacts& facts) {
    if (index == nullptr || index->IsEmpty()) {
        return {};
    }
    return CDatMatcher(*index).Match(facts);
}

} // namespace

CEntryChecker::CEntryChecker(const CDatIndex* index, std::vector<const CRomEntry*> entries,
                             EntryCheckOptions options)
    : m_pIndex(index), m_entries(std::move(entries)), m_options(std::move(options)),
      m_state(std::make_unique<CState>(m_entries.size())) {}

CEntryChecker::~CEntryChecker() {
    Stop();
    // Threads that have delivered every result are only ending: let them end
    // here rather than while the program exits around them. After a stop a
    // thread may still sit in a hung read, which nobody should wait for.
    if (m_batch && m_state->AllDone()) {
        m_batch->Join();
    }
}

bool CEntryChecker::NeedsHash(const CRomEntry& entry) const {
    if (m_options.bHash) {
        return true;
    }
    // Without a DAT nothing is asked of the image; an archive entry's
    // CRC-32 is in the directory already.
    return m_pIndex != nullptr && !m_pIndex->IsEmpty() && entry.m_strInnerName.empty();
}

bool CEntryChecker::Start() {
    if (m_batch) {
        return false;
    }
    std::vector<HashJob> jobs;
    for (std::size_t position = 0; position < m_entries.size(); ++position) {
        const CRomEntry& entry = *m_entries[position];
        if (NeedsHash(entry)) {
            m_hashPositions.push_back(position);
            jobs.push_back({entry.GetPath(), entry.m_dwSize});
            continue;
        }
        EntryCheck check;
        check.match = MatchFacts(m_pIndex, FactsOf(entry, nullptr));
        m_state->Finish(position, std::move(check));
    }
    BatchHashOptions batchOptions{
        {.bDigests = m_options.bHash}, m_options.nThreads, m_options.beforeHash};
    // The batch stops before it goes (see Stop()), so `this` outlives every call.
    m_batch = std::make_unique<CBatchHasher>(
        std::move(jobs), std::move(batchOptions),
        [this](std::size_t job, const HashResult& result) { OnHashed(job, result); });
    if (m_batch->Start()) {
        return true;
    }
    for (const std::size_t position : m_hashPositions) {
        EntryCheck check;
        check.failureText = "no thread could be started to read the image";
        m_state->Finish(position, std::move(check));
    }
    return false;
}

void CEntryChecker::OnHashed(std::size_t job, const HashResult& result) {
    const std::size_t position = m_hashPositions[job];
    EntryCheck check;
    if (result.Succeeded()) {
        check.hashes = result.hashes;
        check.match = MatchFacts(m_pIndex, FactsOf(*m_entries[position], &result.hashes));
    } else {
        check.failureText = result.failureText;
    }
    m_state->Finish(position, std::move(check));
}

void CEntryChecker::Stop() {
    if (m_batch) {
        m_batch->Stop();
    }
}

bool CEntryChecker::WaitUntilDone(std::chrono::milliseconds timeout) {
    if (!m_batch) {
        return m_state->AllDone();
    }
    return m_batch->WaitUntilDone(timeout);
}

bool CEntryChecker::IsDone() const {
    return m_state->AllDone();
}

BatchProgress CEntryChecker::GetProgress() const {
    return m_batch ? m_batch->GetProgress() : BatchProgress{};
}

EntryCheck CEntryChecker::Get(std::size_t position) const {
    return m_state->Get(position);
}

std::vector<std::size_t> CEntryChecker::TakeFinished() {
    return m_state->TakeFinished();
}
