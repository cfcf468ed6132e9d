// A dialog's scans: every row handed over once with its entry, the end only
// after the last row, and a new scan that stops the running one first.
#include "ui/CScanSession.h"
#include "scan/CRomEntryList.h"
#include "tests/support/CLoadGate.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <thread>

using namespace testing_support;

namespace {

// Everything the scan hands over until it ends (or a minute has passed).
CScanSession::Progress FollowToTheEnd(CScanSession& session) {
    CScanSession::Progress all;
    for (int wait = 0; wait < 6000 && !all.done; ++wait) {
        CScanSession::Progress some = session.TakeProgress();
        all.rows.insert(all.rows.end(), some.rows.begin(), some.rows.end());
        all.done = some.done;
        if (!all.done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    return all;
}

std::vector<std::string> Texts(const std::vector<CScanRowBuffer::Row>& rows) {
    std::vector<std::string> texts;
    for (const auto& row : rows) {
        texts.push_back(*row.text + "=" + std::to_string(row.itemData));
    }
    return texts;
}

} // namespace

TEST(ScanSession, ANewScanStopsTheRunningOneAndStartsFromNothing) {
    TempDir first;
    first.WriteFile("held.gba", BuildImage(BuildHeader(), 512));
    first.WriteFile("other.gba", BuildImage(BuildHeader(), 512));
    TempDir second;
    second.WriteFile("b.bin", BuildImage(BuildHeader(), 512));
    second.WriteFile("a.gba", BuildImage(BuildHeader(), 512));

    CLoadGate gate(CLoadGate::Named("held.gba"));
    CScanSession session;
    session.SetOptions(gate.Options(1));
    session.Start(first.Path());
    ASSERT_TRUE(gate.WaitUntilReached(std::chrono::seconds(60)));
    EXPECT_TRUE(session.IsRunning());

    session.SetOptions({});
    session.Start(second.Path()); // returns while the first load is still held
    gate.Release();
    const CScanSession::Progress progress = FollowToTheEnd(session);
    ASSERT_TRUE(progress.done);
    EXPECT_EQ(Texts(progress.rows), (std::vector<std::string>{"b.bin=0", "a.gba=1"}));
    EXPECT_EQ(g_romEntries.GetSize(), 2u);
    EXPECT_FALSE(session.IsRunning());
    EXPECT_FALSE(session.TakeProgress().done); // the end is told once
}

// The end of a scan is asked before its rows are taken: a row committed in
// between is then still handed over. Polled as fast as it goes, many short
// scans give the race every chance to show.
TEST(ScanSession, NoRowIsLostAtTheEndOfManyShortScans) {
    TempDir dir;
    for (const char* name : {"a.gba", "b.gba", "c.gba", "d.bin"}) {
        dir.WriteFile(name, BuildImage(BuildHeader(), 512));
    }
    CScanSession session;
    for (int scan = 0; scan < 1000; ++scan) {
        ScanOptions options;
        options.nJobs = 1 + scan % 4;
        session.SetOptions(options);
        session.Start(dir.Path());
        std::size_t rows = 0;
        bool done = false;
        for (int poll = 0; poll < 10'000'000 && !done; ++poll) {
            const CScanSession::Progress progress = session.TakeProgress();
            rows += progress.rows.size();
            done = progress.done;
            std::this_thread::yield();
        }
        ASSERT_TRUE(done) << "scan " << scan;
        ASSERT_EQ(rows, 4u) << "scan " << scan;
    }
}
