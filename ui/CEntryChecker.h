// Checks the images of a scan against the loaded DATs, and hashes them whole
// where that is asked for or needed. An archive entry's size and CRC-32 come
// from the archive's directory, so it is matched at once without a read; a
// plain image has to be read whole first, and with `bHash` every image is
// (SHA-1 and MD5 included), on several threads as a scan reads.
//
// The command line waits for the end, showing progress; a dialog starts it
// after a scan and takes the finished entries on each timer tick while its
// list stays usable. A stop ends the reads at once, as a scan's stop does.
#pragma once

#include "dat/CDatIndex.h"
#include "dat/DatMatch.h"
#include "romio/CBatchHasher.h"
#include "romio/ImageHashes.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CRomEntry;

// What is known of one image.
struct EntryCheck {
    // Unchecked while it waits for its hash, when no DAT is loaded, or when
    // the hash failed.
    DatMatch match;
    // The whole image's figures, once it has been hashed.
    std::optional<ImageHashes> hashes;
    // Why it could not be hashed; "" otherwise.
    std::string failureText;
    // Nothing more will be learnt of it.
    bool bDone = false;
};

struct EntryCheckOptions {
    // Hash every image whole, archive entries too, with SHA-1 and MD5.
    bool bHash = false;
    // Images read at once; 0 takes one per hardware thread.
    int nThreads = 0;
    // Called on a hashing thread before each image is opened (a test seam).
    std::function<void(const std::string& path)> beforeHash{};
};

class CEntryChecker {
public:
    // `index` (nullptr or empty: no DAT) and the entries must outlive the
    // checker and the matches it gives.
    CEntryChecker(const CDatIndex* index, std::vector<const CRomEntry*> entries,
                  EntryCheckOptions options);
    ~CEntryChecker();
    CEntryChecker(const CEntryChecker&) = delete;
    CEntryChecker& operator=(const CEntryChecker&) = delete;

    // Matches what needs no read, and starts hashing the rest; false when no
    // thread could be started (the entries left are then done, unchecked,
    // with the reason).
    bool Start();
    // Ends the hashing at once; the entries not yet hashed stay unchecked.
    void Stop();
    // True once every entry is done, or after a stop.
    bool WaitUntilDone(std::chrono::milliseconds timeout);
    bool IsDone() const;
    BatchProgress GetProgress() const;

    std::size_t GetCount() const { return m_entries.size(); }
    EntryCheck Get(std::size_t position) const;
    // The positions done since the last call, in the order they finished.
    std::vector<std::size_t> TakeFinished();
    // How many entries were hashed whole, or are to be.
    std::size_t GetHashCount() const { return m_hashPositions.size(); }

private:
    class CState; // what the hashing threads hand their results to

    bool NeedsHash(const CRomEntry& entry) const;
    void OnHashed(std::size_t job, const HashResult& result);

    const CDatIndex* m_pIndex;
    std::vector<const CRomEntry*> m_entries;
    EntryCheckOptions m_options;
    std::vector<std::size_t> m_hashPositions; // entry position of each hash job
    std::unique_ptr<CState> m_state;
    std::unique_ptr<CBatchHasher> m_batch;
};
