// Scans sharing one pool of loading threads, as a walk's folders do, with 1, 2
// and 32 loads in flight.
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

std::string ImageName(std::size_t i) { // f00000.gba and up
    return "f" + std::to_string(100000 + i).substr(1) + ".gba";
}

// Parameter: the loads in flight.
class SharedPoolTest : public ::testing::TestWithParam<int> {
protected:
    void TearDown() override { g_romEntries.RemoveAll(); }

    std::string Folder(const std::string& name, std::size_t images) {
        m_dir.MakeSubdir(name);
        for (std::size_t i = 0; i < images; ++i) {
            m_dir.WriteFile(name + "/" + ImageName(i), BuildImage(BuildHeader(), 200));
        }
        return m_dir / name;
    }

    // Scans `folder` through the pool on this thread, as the walk does: only
    // its own images arrive, in order.
    void ScanAndExpect(const std::string& folder, std::size_t images) {
        g_romEntries.RemoveAll(); // a walk keeps them; here each folder is checked alone
        ScanOptions options;
        options.nJobs = GetParam();
        options.pool = m_pool;
        CRecordingScanTarget target;
        CReadROMs(target, folder, options).OnScanStart();
        EXPECT_THAT(target.GetViolations(), ::testing::IsEmpty());
        EXPECT_EQ(target.GetDoneCalls(), 1);
        const auto rows = target.GetRows();
        ASSERT_EQ(rows.size(), images) << folder;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].text, ImageName(i));
            ASSERT_EQ(rows[i].itemData, static_cast<std::int32_t>(i));
            EXPECT_EQ(g_romEntries.GetAt(i)->GetPath(),
                      folder + CFileSystem::kSeparator + ImageName(i));
        }
    }

    TempDir m_dir;
    std::shared_ptr<CLoaderPool> m_pool = std::make_shared<CLoaderPool>();
};
} // namespace

TEST_P(SharedPoolTest, FoldersInTurnEachGetOnlyTheirOwnImagesInOrder) {
    // Around the windows of 1 and 2 loads in flight, empty, missing.
    for (const auto& [name, images] :
         {std::pair<const char*, std::size_t>{"small", 3}, {"empty", 0}, {"large", 300}}) {
        ScanAndExpect(Folder(name, images), images);
    }
    ScanAndExpect(m_dir / "gone", 0);
}

TEST_P(SharedPoolTest, AStoppedFolderWithAHeldLoadDoesNotHoldUpTheNext) {
    CLoadGate gate(CLoadGate::Named(ImageName(100)));
    ScanOptions options = gate.Options(GetParam());
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

INSTANTIATE_TEST_SUITE_P(InFlight, SharedPoolTest, ::testing::Values(1, 2, 32));
