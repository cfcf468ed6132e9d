// Scans sharing one set of loading threads, as the folders of a walk do, with
// 1, 2 and 32 loads in flight, started on a thread or run on the caller's:
// each folder gets only its own rows, in order, in step with the entries, and
// a stopped scan whose load is still held delivers nothing more and does not
// hold up the next folder.
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

using namespace testing_support;

namespace {
constexpr std::chrono::seconds kHangGuard{120}; // against hangs only

std::string ImageName(std::size_t i) {
    char name[32];
    std::snprintf(name, sizeof name, "f%05zu.gba", i);
    return name;
}

// Parameters: the loads in flight; whether the scan runs on the caller's thread.
class SharedPoolTest : public ::testing::TestWithParam<std::tuple<int, bool>> {
protected:
    void SetUp() override { g_romEntries.RemoveAll(); }
    void TearDown() override { g_romEntries.RemoveAll(); }

    // A folder of `images` images f00000.gba and up; none at all when < 0.
    std::string Folder(const std::string& name, int images) {
        if (images < 0) {
            return m_dir / name;
        }
        m_dir.MakeSubdir(name);
        for (int i = 0; i < images; ++i) {
            m_dir.WriteFile(name + "/" + ImageName(i), BuildImage(BuildHeader(), 200));
        }
        return m_dir / name;
    }

    // Scans `folder` to its end through the pool; then checks what arrived.
    void ScanAndExpect(const std::string& folder, int images) {
        g_romEntries.RemoveAll(); // a walk keeps them; each folder is checked on its own here
        ScanOptions options;
        options.nJobs = std::get<0>(GetParam());
        options.pool = m_pool;
        CRecordingScanTarget target;
        CReadROMs worker(target, folder, options);
        if (std::get<1>(GetParam())) {
            worker.OnScanStart();
        } else {
            ASSERT_TRUE(worker.CreateThread());
            ASSERT_TRUE(target.WaitForDone(kHangGuard)) << folder;
            worker.Join();
        }
        EXPECT_THAT(target.GetViolations(), ::testing::IsEmpty());
        EXPECT_EQ(target.GetDoneCalls(), 1);
        const auto rows = target.GetRows();
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(std::max(images, 0))) << folder;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].text, ImageName(i));
            ASSERT_EQ(rows[i].itemData, static_cast<std::int32_t>(i));
            EXPECT_EQ(g_romEntries.GetAt(i)->GetPath(),
                      folder + CFileSystem::kSeparator + rows[i].text);
        }
    }

    TempDir m_dir;
    std::shared_ptr<CLoaderPool> m_pool = std::make_shared<CLoaderPool>();
};
} // namespace

TEST_P(SharedPoolTest, FoldersInTurnEachGetOnlyTheirOwnImagesInOrder) {
    // Around the windows of 1, 2 and 32 loads in flight; empty; missing.
    const std::pair<const char*, int> folders[] = {{"small", 3}, {"empty", 0},   {"window", 17},
                                                   {"gone", -1}, {"large", 300}, {"one", 1}};
    for (const auto& [name, images] : folders) {
        ScanAndExpect(Folder(name, images), images);
    }
}

TEST_P(SharedPoolTest, AStoppedFolderWithAHeldLoadDoesNotHoldUpTheNext) {
    CLoadGate gate(CLoadGate::Named(ImageName(100)));
    ScanOptions options = gate.Options(std::get<0>(GetParam()));
    options.pool = m_pool;
    CRecordingScanTarget stoppedTarget;
    CReadROMs stopped(stoppedTarget, Folder("stopped", 300), options);
    ASSERT_TRUE(stopped.CreateThread());
    ASSERT_TRUE(gate.WaitUntilReached(kHangGuard));
    stopped.RequestStop();
    stoppedTarget.MarkStopped(); // any call from now on is a violation
    EXPECT_LE(stoppedTarget.GetRows().size(), 100u);

    ScanAndExpect(Folder("next", 50), 50); // while the held load keeps its thread
    gate.Release();
    stopped.Join();
    EXPECT_THAT(stoppedTarget.GetViolations(), ::testing::IsEmpty());
    EXPECT_EQ(stoppedTarget.GetDoneCalls(), 0);
    EXPECT_EQ(g_romEntries.GetSize(), 50u); // nothing of the stopped scan came after
}

INSTANTIATE_TEST_SUITE_P(InFlight, SharedPoolTest,
                         ::testing::Combine(::testing::Values(1, 2, 32), ::testing::Bool()));
