// Hashing many images at once: the same results as one by one, each once,
// progress that adds up, and a stop that returns while a read is held and
// after which nothing is delivered.
#include "romio/CBatchHasher.h"
#include "romio/CImageHasher.h"
#include "tests/support/CLoadGate.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <tuple>

using namespace testing_support;

namespace {

// A guard only: every wait here ends at once when the batch behaves.
constexpr auto kGuard = std::chrono::seconds(120);

// A folder of images of every kind, sizes across the read size, and a few
// that cannot be hashed; returns the jobs, some with right sizes given,
// some with wrong ones.
std::vector<HashJob> MakeJobs(const TempDir& dir) {
    constexpr std::size_t kRead = CImageHasher::kReadSize;
    std::vector<HashJob> jobs;
    for (std::size_t i = 0; i < 12; ++i) {
        const std::vector<std::uint8_t> image(i * kRead / 3 + i, static_cast<std::uint8_t>(i));
        const std::string name = "image" + std::to_string(i);
        if (i % 3 == 0) {
            WriteZip(dir / (name + ".zip"), {{"readme.txt", TextBytes("hi")}, {"a.gba", image}});
            jobs.push_back({dir / (name + ".zip"), std::nullopt});
        } else {
            const std::uint64_t given = i % 3 == 1 ? image.size() : image.size() / 2 + 99;
            jobs.push_back({dir.WriteFile(name + ".gba", image), given});
        }
    }
    WriteZip(dir / "damaged.zip", {{.name = "a.gba",
                                    .data = std::vector<std::uint8_t>(5000, 1),
                                    .deflate = false,
                                    .overrideCrc = true,
                                    .crc = 1}});
    jobs.push_back({dir / "damaged.zip", 5000});
    jobs.push_back({dir / "missing.gba", 1234});
    jobs.push_back({dir.MakeSubdir("folder.gba"), std::nullopt});
    return jobs;
}

} // namespace

TEST(BatchHasher, ManyImagesAtOnceGiveWhatOneByOneGivesEachOnce) {
    TempDir dir;
    const std::vector<HashJob> jobs = MakeJobs(dir);
    // Only the callback touches these until the batch is done.
    std::map<std::size_t, HashResult> results;
    std::size_t deliveries = 0;
    CBatchHasher batch(jobs, {.hash = {.bDigests = true}, .nThreads = 4},
                       [&](std::size_t index, const HashResult& result) {
                           ++deliveries;
                           results.emplace(index, result);
                       });
    ASSERT_TRUE(batch.Start());
    ASSERT_TRUE(batch.WaitUntilDone(kGuard));
    batch.Join();

    EXPECT_EQ(deliveries, jobs.size());
    ASSERT_EQ(results.size(), jobs.size());
    CImageHasher hasher;
    std::uint64_t hashed = 0;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const HashResult alone = hasher.Hash(jobs[i].path, {.bDigests = true});
        const auto figures = [](const HashResult& r) {
            return std::tie(r.failure, r.hashes.innerName, r.hashes.size, r.hashes.crc32,
                            r.hashes.sha1, r.hashes.md5, r.hashes.backupType);
        };
        EXPECT_TRUE(figures(results.at(i)) == figures(alone)) << jobs[i].path;
        hashed += alone.hashes.size;
    }
    // The wrong sizes given were corrected; the damaged entry's bytes were
    // hashed too before it was found out.
    const BatchProgress progress = batch.GetProgress();
    EXPECT_EQ(progress.imagesDone, jobs.size());
    EXPECT_EQ(progress.imagesTotal, jobs.size());
    EXPECT_EQ(progress.bytesDone, progress.bytesTotal);
    EXPECT_EQ(progress.bytesDone, hashed + 5000);
}

TEST(BatchHasher, StopReturnsWhileAReadIsHeldAndNothingIsDeliveredAfter) {
    TempDir dir;
    std::vector<HashJob> jobs;
    for (const std::string name : {"a.gba", "held.gba", "c.gba", "d.gba", "e.gba"}) {
        jobs.push_back({dir.WriteText(name, name), std::nullopt});
    }
    CLoadGate gate(CLoadGate::Named("held.gba"));
    const auto hold = gate.Options().beforeLoad;
    std::atomic<bool> released{false};
    std::atomic<bool> stopReturned{false};
    std::atomic<int> lateDeliveries{0};
    const auto beforeHash = [&](const std::string& path) {
        hold(path);
        if (path.ends_with("held.gba")) {
            released = true;
        }
    };
    CBatchHasher batch(jobs, {.nThreads = 1, .beforeHash = beforeHash},
                       [&](std::size_t, const HashResult&) {
                           if (stopReturned) {
                               ++lateDeliveries;
                           }
                       });
    ASSERT_TRUE(batch.Start());
    ASSERT_TRUE(gate.WaitUntilReached(kGuard));
    // The only thread is held before its read: a stop that waited for it
    // would return only once the gate gave up holding it.
    batch.Stop();
    stopReturned = true;
    EXPECT_FALSE(released);
    EXPECT_TRUE(batch.WaitUntilDone(std::chrono::milliseconds(0)));
    gate.Release();
    batch.Join();
    EXPECT_EQ(lateDeliveries, 0);
    const BatchProgress progress = batch.GetProgress();
    EXPECT_EQ(progress.imagesDone, 1u);
    EXPECT_EQ(progress.imagesTotal, jobs.size());
}

TEST(BatchHasher, TheCallbackMayStopTheBatch) {
    TempDir dir;
    std::vector<HashJob> jobs;
    for (int i = 0; i < 6; ++i) {
        jobs.push_back({dir.WriteText(std::to_string(i) + ".gba", "image"), std::nullopt});
    }
    std::atomic<int> deliveries{0};
    CBatchHasher* self = nullptr;
    CBatchHasher batch(jobs, {.nThreads = 1}, [&](std::size_t, const HashResult&) {
        ++deliveries;
        self->Stop();
    });
    self = &batch;
    ASSERT_TRUE(batch.Start());
    EXPECT_TRUE(batch.WaitUntilDone(kGuard));
    batch.Join();
    EXPECT_EQ(deliveries, 1);
}

TEST(BatchHasher, AnEmptyBatchIsDoneAtOnceAndStartsOnlyOnce) {
    CBatchHasher batch({}, {}, [](std::size_t, const HashResult&) { FAIL(); });
    ASSERT_TRUE(batch.Start());
    EXPECT_FALSE(batch.Start());
    EXPECT_TRUE(batch.WaitUntilDone(std::chrono::milliseconds(0)));
    batch.Join();
}
