// The scan worker on its own threads, with 1, 2 and 32 loads in flight: the
// rows, their order, item data and entries are those of a scan reading one
// file at a time, the end notice arrives exactly once, files that could block
// do not stall it, and a stop returns without waiting for a held load and is
// followed by nothing. Built as its own executable so that a ThreadSanitizer
// build can run just these (label "threads").
#include "CRecordingScanTarget.h"
#include "romio/CFileSystem.h"
#include "scan/CReadROMs.h"
#include "scan/CRomEntry.h"
#include "scan/CRomEntryList.h"
#include "tests/support/CLoadGate.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"
#include "ui/RomSort.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#ifndef _WIN32
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace testing_support;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// Bounded waits only keep a broken worker from hanging the suite; nothing
// here is judged by how long it takes.
constexpr std::chrono::seconds kHangGuard{120};

std::vector<std::uint8_t> Image(const std::string& title = "QB TEST", std::size_t size = 512) {
    HeaderFields fields;
    fields.title = title;
    return BuildImage(BuildHeader(fields), size);
}

// Parameter: the loads in flight.
class WorkerTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { g_romEntries.RemoveAll(); }
    void TearDown() override { g_romEntries.RemoveAll(); }

    ScanOptions Jobs() const {
        ScanOptions options;
        options.nJobs = GetParam();
        return options;
    }

    // Runs a whole scan on the worker's threads, waiting for its end notice.
    void ScanOnThread(const std::string& folder) {
        CReadROMs worker(m_target, folder, Jobs());
        ASSERT_TRUE(worker.CreateThread());
        ASSERT_TRUE(m_target.WaitForDone(kHangGuard)) << "no end notice";
        worker.Join();
        EXPECT_THAT(m_target.GetViolations(), IsEmpty());
        EXPECT_EQ(m_target.GetDoneCalls(), 1);
    }

    TempDir m_dir;
    CRecordingScanTarget m_target;
};

// A folder of `count` small files named f00000.gba and up.
void FillWithSmallImages(const TempDir& dir, int count) {
    const auto bytes = BuildImage(BuildHeader(), 200);
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%05d.gba", i);
        dir.WriteFile(name, bytes);
    }
}

} // namespace

TEST_P(WorkerTest, FindsRowsBeforeSortingAndSortsThemByDisplayName) {
    m_dir.WriteFile("a.gba", Image("A"));
    m_dir.WriteFile("b.bin", Image("B"));
    WriteZip(m_dir / "c.zip", {{"d.agb", Image("D")}});

    ScanOnThread(m_dir.Path());

    auto rows = m_target.GetRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_THAT(m_target.GetRowTexts(), ElementsAre("b.bin", "a.gba", "d.agb"));
    EXPECT_THAT(m_target.GetItemData(), ElementsAre(0, 1, 2));
    const CRomEntry* archived = g_romEntries.GetAt(2);
    ASSERT_NE(archived, nullptr);
    EXPECT_EQ(archived->m_strFileName, "c.zip");
    EXPECT_EQ(archived->m_strInnerName, "d.agb");

    // What the dialog does on the end notice.
    SortRomRows(
        rows, [](const CRecordingScanTarget::Row& row) { return row.itemData; }, g_romEntries);
    std::vector<std::string> sorted;
    std::vector<std::int32_t> data;
    for (const auto& row : rows) {
        sorted.push_back(row.text);
        data.push_back(row.itemData);
    }
    EXPECT_THAT(sorted, ElementsAre("a.gba", "b.bin", "d.agb"));
    EXPECT_THAT(data, ElementsAre(1, 0, 2));
}

#ifndef _WIN32 // FIFOs and links are made with POSIX calls; Windows' own are in romio_tests
TEST_P(WorkerTest, SpecialFilesGiveNoRowAndDoNotStallTheScan) {
    const std::string fifo = m_dir / "pipe.gba";
    const std::string zipFifo = m_dir / "pipe.zip";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(zipFifo.c_str(), 0600), 0);
    m_dir.MakeSubdir("folder.gba");
    std::filesystem::create_symlink(m_dir / "nowhere.bin", m_dir / "dangling.gba");
    std::filesystem::create_symlink(m_dir / "pipe.gba", m_dir / "to-pipe.agb");
    std::filesystem::create_directory_symlink(m_dir / "folder.gba", m_dir / "to-folder.bin");
    const std::string image = m_dir.WriteFile("image.dat", Image("LINKED", 640));
    std::filesystem::create_symlink(image, m_dir / "link.gba");
    m_dir.WriteFile("plain.gba", Image("PLAIN"));

    CReadROMs worker(m_target, m_dir.Path(), Jobs());
    ASSERT_TRUE(worker.CreateThread());
    const bool done = m_target.WaitForDone(kHangGuard);
    if (!done) {
        // Free a worker stuck opening a FIFO, so the failure is reported instead of hanging.
        for (const std::string& path : {fifo, zipFifo}) {
            const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    worker.Join();
    ASSERT_TRUE(done) << "the scan stalled on a special file";

    EXPECT_THAT(m_target.GetViolations(), IsEmpty());
    EXPECT_EQ(m_target.GetDoneCalls(), 1);
    EXPECT_THAT(m_target.GetRowTexts(), ElementsAre("link.gba", "plain.gba"));
    ASSERT_EQ(g_romEntries.GetSize(), 2u);
    const CRomEntry* linked = g_romEntries.GetAt(0);
    EXPECT_EQ(linked->GetPath(), m_dir / "link.gba");
    EXPECT_EQ(linked->m_strFileName, "link.gba");
    EXPECT_EQ(linked->m_dwSize, 640u);
}
#endif

TEST_P(WorkerTest, EmptyFolderGivesNoRowsAndOneDone) {
    ScanOnThread(m_dir.Path());

    EXPECT_THAT(m_target.GetRows(), IsEmpty());
    EXPECT_EQ(g_romEntries.GetSize(), 0u);
}

TEST_P(WorkerTest, MissingFolderGivesOneDone) {
    ScanOnThread(m_dir / "gone");

    EXPECT_THAT(m_target.GetRows(), IsEmpty());
}

// Loads claimed ahead fill the whole window while the oldest is held; each
// must still arrive, in order, once it goes on. A fault here used to show
// only as a hang of the command line's 20,000-image test: this guard ends
// the wait well before ctest's.
TEST_P(WorkerTest, AFullWindowOfLoadsWaitsForItsCommitsAndEveryImageArrives) {
    constexpr std::chrono::seconds kWindowGuard{30};
    const int images = GetParam() * 32 * 3 + 5; // three windows and more
    FillWithSmallImages(m_dir, images);
    CLoadGate gate(CLoadGate::Named("f00000.gba"));
    CReadROMs worker(m_target, m_dir.Path(), gate.Options(GetParam()));
    ASSERT_TRUE(worker.CreateThread());
    ASSERT_TRUE(gate.WaitUntilReached(kHangGuard));
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // the others fill the window
    gate.Release();
    ASSERT_TRUE(m_target.WaitForDone(kWindowGuard)) << "the scan stalled on a full window";
    worker.Join();
    EXPECT_THAT(m_target.GetViolations(), IsEmpty());
    const auto rows = m_target.GetRows();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(images));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].itemData, static_cast<std::int32_t>(i));
    }
}

TEST_P(WorkerTest, AStopDoesNotWaitForAHeldLoadAndIsFollowedByNothing) {
    FillWithSmallImages(m_dir, 300);
    CLoadGate gate(CLoadGate::Named("f00100.gba"));
    CReadROMs worker(m_target, m_dir.Path(), gate.Options(GetParam()));
    ASSERT_TRUE(worker.CreateThread());
    ASSERT_TRUE(gate.WaitUntilReached(kHangGuard));

    worker.RequestStop(); // returns while the load is still held
    m_target.MarkStopped();
    const auto rows = m_target.GetRows();
    gate.Release();
    worker.Join(); // the held load has ended, and dropped what it read

    EXPECT_THAT(m_target.GetViolations(), IsEmpty());
    EXPECT_EQ(m_target.GetDoneCalls(), 0);
    // What was shown is a prefix of the scan, in step with its entries.
    EXPECT_LE(rows.size(), 100u);
    EXPECT_EQ(g_romEntries.GetSize(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%05zu.gba", i);
        EXPECT_EQ(rows[i].text, name);
        EXPECT_EQ(rows[i].itemData, static_cast<std::int32_t>(i));
    }
}

TEST_P(WorkerTest, StopAskedBeforeTheStartGivesNothing) {
    m_dir.WriteFile("a.gba", Image());
    CReadROMs worker(m_target, m_dir.Path(), Jobs());
    worker.RequestStop();
    ASSERT_TRUE(worker.CreateThread());
    worker.Join();

    EXPECT_THAT(m_target.GetRows(), IsEmpty());
    EXPECT_EQ(m_target.GetDoneCalls(), 0);
    EXPECT_EQ(g_romEntries.GetSize(), 0u);
}

TEST_P(WorkerTest, JoinWithoutAThreadAndTwiceIsHarmless) {
    CReadROMs idle(m_target, m_dir.Path());
    idle.Join();

    CReadROMs worker(m_target, m_dir.Path(), Jobs());
    ASSERT_TRUE(worker.CreateThread());
    ASSERT_TRUE(m_target.WaitForDone(kHangGuard));
    worker.Join();
    worker.Join();
    EXPECT_EQ(m_target.GetDoneCalls(), 1);
}

TEST_P(WorkerTest, AThreadThatCannotStartStillDeliversDone) {
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer runtimes manage thread stacks themselves";
#elif defined(_WIN32)
    GTEST_SKIP() << "making thread creation fail needs glibc's default thread attributes";
#else
    m_dir.WriteFile("a.gba", Image());
    // Ask for a default stack far larger than any address space, so that
    // creating a thread fails; the old default comes back right after.
    pthread_attr_t saved;
    ASSERT_EQ(::pthread_getattr_default_np(&saved), 0);
    pthread_attr_t huge;
    ASSERT_EQ(::pthread_attr_init(&huge), 0);
    ASSERT_EQ(::pthread_attr_setstacksize(&huge, std::size_t{1} << 50), 0);
    ASSERT_EQ(::pthread_setattr_default_np(&huge), 0);

    bool started = true;
    {
        CReadROMs worker(m_target, m_dir.Path(), Jobs());
        started = worker.CreateThread();
        ASSERT_EQ(::pthread_setattr_default_np(&saved), 0);
    }
    ::pthread_attr_destroy(&huge);
    ::pthread_attr_destroy(&saved);

    EXPECT_FALSE(started);
    EXPECT_EQ(m_target.GetDoneCalls(), 1);
    EXPECT_THAT(m_target.GetRows(), IsEmpty());
    EXPECT_EQ(g_romEntries.GetSize(), 0u);
#endif
}

INSTANTIATE_TEST_SUITE_P(InFlight, WorkerTest, ::testing::Values(1, 2, 32));

// Left to decide, a scan starts with a load per core and reads more at once
// when its loads wait for the storage, still committing in scan order.
TEST(WorkerGrowthTest, LoadsThatWaitMakeTheScanReadMoreAtOnce) {
    TempDir dir;
    if (CFileSystem::IsInMemory(dir.Path())) {
        GTEST_SKIP()
            << "a folder in memory never makes a load wait, so the scan keeps to the cores";
    }
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int files = 64 + 8 * cores;
    FillWithSmallImages(dir, files);
    std::atomic<int> inFlight = 0;
    std::atomic<int> mostInFlight = 0;
    ScanOptions options;
    options.beforeLoad = [&](const std::string&) {
        const int now = ++inFlight;
        int most = mostInFlight.load();
        while (now > most && !mostInFlight.compare_exchange_weak(most, now)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2)); // a slow device
        --inFlight;
    };
    g_romEntries.RemoveAll();
    CRecordingScanTarget target;
    CReadROMs worker(target, dir.Path(), options);
    worker.OnScanStart();

    EXPECT_GT(mostInFlight.load(), cores);
    EXPECT_THAT(target.GetViolations(), IsEmpty());
    const std::vector<std::string> texts = target.GetRowTexts();
    ASSERT_EQ(texts.size(), static_cast<std::size_t>(files));
    for (int i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%05d.gba", i);
        EXPECT_EQ(texts[static_cast<std::size_t>(i)], name);
    }
    g_romEntries.RemoveAll();
}
