// The scan worker on its own thread: the end notice arrives exactly once
// whatever happens, files that could block do not stall it, and stopping it
// midway leaves rows, entries and count in step. Built as its own executable
// so that a ThreadSanitizer build can run just these (label "threads").
#include "CRecordingScanTarget.h"
#include "app/core/RomSort.h"
#include "scan/CReadROMs.h"
#include "scan/CRomEntry.h"
#include "scan/CRomEntryList.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

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

class WorkerTest : public ::testing::Test {
protected:
    void SetUp() override { g_romEntries.RemoveAll(); }
    void TearDown() override { g_romEntries.RemoveAll(); }

    // Runs a whole scan on the worker's thread, waiting for its end notice.
    void ScanOnThread(const std::string& folder) {
        CReadROMs worker(m_target, folder);
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

TEST_F(WorkerTest, FindsRowsBeforeSortingAndSortsThemByDisplayName) {
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

TEST_F(WorkerTest, SpecialFilesGiveNoRowAndDoNotStallTheScan) {
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

    CReadROMs worker(m_target, m_dir.Path());
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
    EXPECT_EQ(linked->m_strPath, m_dir / "link.gba");
    EXPECT_EQ(linked->m_strFileName, "link.gba");
    EXPECT_EQ(linked->m_dwSize, 640u);
}

TEST_F(WorkerTest, EmptyFolderGivesNoRowsAndOneDone) {
    ScanOnThread(m_dir.Path());

    EXPECT_THAT(m_target.GetRows(), IsEmpty());
    EXPECT_EQ(g_romEntries.GetSize(), 0u);
}

TEST_F(WorkerTest, MissingFolderGivesOneDone) {
    ScanOnThread(m_dir / "gone");

    EXPECT_THAT(m_target.GetRows(), IsEmpty());
}

TEST_F(WorkerTest, StoppingMidwayEndsAfterTheCurrentFileWithEverythingInStep) {
    constexpr int kFiles = 20000;
    constexpr int kStopAtRow = 100;
    FillWithSmallImages(m_dir, kFiles);
    m_target.PauseAfterRow(kStopAtRow);

    CReadROMs worker(m_target, m_dir.Path());
    ASSERT_TRUE(worker.CreateThread());
    ASSERT_TRUE(m_target.WaitUntilPaused(kHangGuard));
    worker.RequestStop();
    m_target.Resume();
    ASSERT_TRUE(m_target.WaitForDone(kHangGuard)) << "a stopped scan never ended";
    worker.Join();

    EXPECT_THAT(m_target.GetViolations(), IsEmpty());
    EXPECT_EQ(m_target.GetDoneCalls(), 1);
    // The file being read when the stop came is finished, and nothing after it.
    const auto rows = m_target.GetRows();
    EXPECT_EQ(rows.size(), static_cast<std::size_t>(kStopAtRow + 1));
    EXPECT_EQ(g_romEntries.GetSize(), rows.size());
    EXPECT_EQ(m_target.GetCount(), static_cast<std::int32_t>(rows.size()));
    EXPECT_EQ(rows.back().text, "f00100.gba");
}

TEST_F(WorkerTest, DestroyingARunningWorkerStopsItAndStillPostsDoneOnce) {
    FillWithSmallImages(m_dir, 20000);
    {
        CReadROMs worker(m_target, m_dir.Path());
        ASSERT_TRUE(worker.CreateThread());
        ASSERT_TRUE(m_target.WaitForRows(1, kHangGuard));
    } // the destructor asks the scan to stop and waits for its thread

    EXPECT_EQ(m_target.GetDoneCalls(), 1);
    EXPECT_THAT(m_target.GetViolations(), IsEmpty());
    const auto rows = m_target.GetRows();
    EXPECT_GE(rows.size(), 1u);
    EXPECT_EQ(g_romEntries.GetSize(), rows.size());
    EXPECT_EQ(m_target.GetCount(), static_cast<std::int32_t>(rows.size()));
}

TEST_F(WorkerTest, StopAskedBeforeTheStartGivesNoRowsAndOneDone) {
    m_dir.WriteFile("a.gba", Image());
    CReadROMs worker(m_target, m_dir.Path());
    worker.RequestStop();
    ASSERT_TRUE(worker.CreateThread());
    ASSERT_TRUE(m_target.WaitForDone(kHangGuard));
    worker.Join();

    EXPECT_THAT(m_target.GetRows(), IsEmpty());
    EXPECT_EQ(m_target.GetDoneCalls(), 1);
    EXPECT_EQ(g_romEntries.GetSize(), 0u);
}

TEST_F(WorkerTest, JoinWithoutAThreadAndTwiceIsHarmless) {
    CReadROMs idle(m_target, m_dir.Path());
    idle.Join();

    CReadROMs worker(m_target, m_dir.Path());
    ASSERT_TRUE(worker.CreateThread());
    ASSERT_TRUE(m_target.WaitForDone(kHangGuard));
    worker.Join();
    worker.Join();
    EXPECT_EQ(m_target.GetDoneCalls(), 1);
}

TEST_F(WorkerTest, AThreadThatCannotStartStillDeliversDone) {
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer runtimes manage thread stacks themselves";
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
        CReadROMs worker(m_target, m_dir.Path());
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
