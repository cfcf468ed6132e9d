// Hashes a list of images whole (CImageHasher) on several threads at once,
// the way a folder scan overlaps its loads: each thread takes the next image
// not yet taken. Each result is handed to the caller as it completes, in the
// order the images finish, not the order of the list.
//
//   CBatchHasher batch(jobs, {.hash = {.bDigests = true}},
//                      [&](std::size_t index, const HashResult& result) { ... });
//   batch.Start();
//   while (!batch.WaitUntilDone(std::chrono::milliseconds(200))) {
//       ShowProgress(batch.GetProgress());
//   }
//
// Results are delivered on the hashing threads, one at a time (never two
// callbacks at once), so the callback needs no lock of its own for what only
// it touches; it should return quickly, as the thread hashes nothing
// meanwhile. It may call Stop() and GetProgress(), but not WaitUntilDone()
// or Join().
//
// Stop() takes effect at once, like a scan's stop: it never waits for a
// read, so a thread blocked on slow or hung storage does not hold it up;
// once Stop() has returned no callback runs again. Threads still inside a
// read finish on their own and drop what they read. The threads keep what
// they share alive, so the object may go at any time (its destructor stops
// the batch and waits for nothing); the callback must stay valid until
// Stop() or the destructor has returned, or until the batch is done.
#pragma once

#include "ImageHashes.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct HashJob {
    std::string path;
    // The image's size when the caller knows it (a scan has it for every
    // image): the byte total of the progress is then right from the start.
    std::optional<std::uint64_t> knownSize{};
};

struct BatchHashOptions {
    HashOptions hash{};
    // Threads hashing at once; 0 takes one per hardware thread. Never more
    // than there are jobs.
    int nThreads = 0;
    // Called on the hashing thread right before each image is opened, with
    // its path: a seam for tests that need a read held or slowed.
    std::function<void(const std::string& path)> beforeHash{};
};

// How far a batch has got; every figure only grows, except that bytesTotal
// is corrected as each image's real size becomes known.
struct BatchProgress {
    std::size_t imagesDone = 0;  // results delivered
    std::size_t imagesTotal = 0; // jobs in the batch
    std::uint64_t bytesDone = 0; // bytes hashed so far, of finished and unfinished images
    // The images' sizes: for an image not yet opened the known size the
    // job gave (else nothing), for one being hashed its size, and for a
    // finished one what was hashed of it. It equals bytesDone once the
    // batch is done.
    std::uint64_t bytesTotal = 0;
};

class CBatchHasher {
public:
    // Called with the index of the job in the list and its result.
    using ResultHandler = std::function<void(std::size_t index, const HashResult& result)>;

    CBatchHasher(std::vector<HashJob> jobs, BatchHashOptions options, ResultHandler onResult);
    // Stops the batch (see Stop()); does not wait for its threads.
    ~CBatchHasher();
    CBatchHasher(const CBatchHasher&) = delete;
    CBatchHasher& operator=(const CBatchHasher&) = delete;

    // Starts the threads, once; false when not even one could be made (or
    // when already started). An empty batch is done at once.
    bool Start();
    // Ends the batch at once (see above); harmless when it is not running.
    void Stop();
    // Waits up to `timeout` for every result to be delivered; true once they
    // are, or once the batch has been stopped. Not from the callback.
    bool WaitUntilDone(std::chrono::milliseconds timeout);
    // Waits until every thread has ended, after the end of the batch or a
    // stop: after a stop that includes reads still blocked in a device. Not
    // from the callback.
    void Join();

    // From any thread, at any time.
    BatchProgress GetProgress() const;

private:
    class CShared; // what the threads share with this object
    std::shared_ptr<CShared> m_shared;
};
