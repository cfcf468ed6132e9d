// Scans that share one set of loading threads, as the folders of a walk do,
// with 1, 2 and 32 loads in flight, each scan started on a thread of its own
// or run on the caller's: every folder gets its own rows, in order, with item
// data and entries in step, and a stopped scan whose load is still blocked
// neither delivers anything more nor holds up the next folder.
#include "scan/CLoaderPool.h"
#include "CRecordingScanTarget.h"
#include "romio/CFileSystem.h"
#include "scan/CReadROMs.h"
#include "scan/CRomEntry.h"
#include "scan/CRomEntryList.h"
#include "tests/support/CLoadGate.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

using namespace testing_support;
using ::testing::IsEmpty;

namespace {

// Bounded waits only keep a broken pool from hanging the suite.
constexpr std::chrono::seconds kHangGuard{120};

std::string ImageName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "f%05d.gba", i);
    return name;
}

// Parameters: the loads in flight; whether the scan runs on the caller's thread.
class SharedPoolTest : public ::testing::TestWithParam<std::tuple<int, bool>> {
protected:
    void SetUp() override { g_romEntries.RemoveAll(); }
    void TearDown() override { g_romEntries.RemoveAll(); }

    std::string Folder(const std::string& name, int images) {
        const std::string folder = m_dir.MakeSubdir(name);
        const auto bytes = BuildImage(BuildHeader({.title = name}), 200);
        for (int i = 0; i < images; ++i) {
            m_dir.WriteFile(name + "/" + ImageName(i), bytes);
        }
        return folder;
    }

    ScanOptions Options() const {
        ScanOptions options;
        options.nJobs = std::get<0>(GetParam());
        options.pool = m_pool;
        return options;
    }

    // Scans `folder` through the pool to its end, as a walk does.
    void Scan(CRecordingScanTarget& target, const std::string& folder) {
        CReadROMs worker(target, folder, Options());
        if (std::get<1>(GetParam())) {
            worker.OnScanStart();
        } else {
            ASSERT_TRUE(worker.CreateThread());
            ASSERT_TRUE(target.WaitForDone(kHangGuard)) << "no end notice for " << folder;
            worker.Join();
        }
    }

    // The rows are f00000.gba and up, each pointing at its entry of `folder`.
    static void ExpectImagesOf(const CRecordingScanTarget& target, const std::string& folder,
                               std::size_t count) {
        EXPECT_THAT(target.GetViolations(), IsEmpty());
        const auto rows = target.GetRows();
        ASSERT_EQ(rows.size(), count) << folder;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].text, ImageName(static_cast<int>(i)));
            ASSERT_EQ(rows[i].itemData, static_cast<std::int32_t>(i));
            const CRomEntry* entry = g_romEntries.GetAt(i);
            ASSERT_NE(entry, nullptr);
            EXPECT_EQ(entry->GetPath(), folder + CFileSystem::kSeparator + rows[i].text);
        }
    }

    TempDir m_dir;
    std::shared_ptr<CLoaderPool> m_pool = std::make_shared<CLoaderPool>();
};

} // namespace

TEST_P(SharedPoolTest, FoldersScannedInTurnEachGetOnlyTheirOwnImagesInOrder) {
    // Sizes around the windows of 1, 2 and 32 loads in flight, an empty
    // folder, and one that cannot be listed.
    const struct {
        const char* name;
        int images;
        bool exists;
    } folders[] = {{"small", 3, true}, {"empty", 0, true},   {"window", 17, true},
                   {"gone", 0, false}, {"large", 300, true}, {"single", 1, true}};
    for (const auto& folder : folders) {
        const std::string path =
            folder.exists ? Folder(folder.name, folder.images) : m_dir / folder.name;
        g_romEntries.RemoveAll(); // what the walk keeps is its own business
        CRecordingScanTarget target;
        Scan(target, path);
        EXPECT_EQ(target.GetDoneCalls(), 1) << folder.name;
        ExpectImagesOf(target, path, static_cast<std::size_t>(folder.images));
    }
}

TEST_P(SharedPoolTest, AStoppedFolderWithAHeldLoadDoesNotHoldUpTheNext) {
    const std::string stopped = Folder("stopped", 300);
    const std::string next = Folder("next", 50);
    CLoadGate gate(CLoadGate::Named(ImageName(100)));
    ScanOptions options = gate.Options(std::get<0>(GetParam()));
    options.pool = m_pool;
    CRecordingScanTarget stoppedTarget;
    CReadROMs stoppedWorker(stoppedTarget, stopped, options);
    ASSERT_TRUE(stoppedWorker.CreateThread());
    ASSERT_TRUE(gate.WaitUntilReached(kHangGuard));
    stoppedWorker.RequestStop();
    stoppedTarget.MarkStopped();
    const auto shown = stoppedTarget.GetRows();
    EXPECT_LE(shown.size(), 100u);
    EXPECT_EQ(g_romEntries.GetSize(), shown.size());

    // The held load keeps its thread; the next folder runs on the others.
    g_romEntries.RemoveAll();
    CRecordingScanTarget nextTarget;
    Scan(nextTarget, next);
    EXPECT_EQ(nextTarget.GetDoneCalls(), 1);
    ExpectImagesOf(nextTarget, next, 50);

    gate.Release();
    stoppedWorker.Join();
    EXPECT_THAT(stoppedTarget.GetViolations(), IsEmpty());
    EXPECT_EQ(stoppedTarget.GetDoneCalls(), 0);
    EXPECT_EQ(g_romEntries.GetSize(), 50u); // nothing of the stopped scan came after
}

INSTANTIATE_TEST_SUITE_P(InFlight, SharedPoolTest,
                         ::testing::Combine(::testing::Values(1, 2, 32), ::testing::Bool()));
