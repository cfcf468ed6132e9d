// The folder changing under a running scan. The worker lists the folder once
// and reads the files afterwards, so a target that changes the folder when
// the first row arrives, while every other load waits for that change, makes
// every case deterministic with any number of loads in flight: files removed
// or replaced (by other images, FIFOs, folders, devices) after the listing,
// and the folder itself removed or replaced. Whatever happens, the scan ends
// with exactly one end notice, rows and entries in step, and nothing blocked.
#include "CRecordingScanTarget.h"
#include "scan/CReadROMs.h"
#include "scan/CRomEntry.h"
#include "scan/CRomEntryList.h"
#include "tests/support/CLoadGate.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "romio/CFileSystem.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace testing_support;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

namespace fs = std::filesystem;

// A guard against a worker stuck for good; nothing is judged by time.
constexpr std::chrono::seconds kHangGuard{120};

std::vector<std::uint8_t> Image(const std::string& title, std::size_t size = 512) {
    return BuildImage(BuildHeader({.title = title}), size);
}

// Runs `change` on the worker's thread right after the first row is added;
// the loads of all files but `firstName` wait for it at the gate.
class ChangingScanTarget : public CRecordingScanTarget {
public:
    ChangingScanTarget(const std::string& firstName, std::function<void()> change)
        : m_gate(
              [firstName](const std::string& path) { return !CLoadGate::Named(firstName)(path); }),
          m_change(std::move(change)) {}

    void InsertRomRow(int row, const std::string& text) override {
        CRecordingScanTarget::InsertRomRow(row, text);
        if (m_change) {
            std::exchange(m_change, nullptr)();
            m_gate.Release();
        }
    }

    ScanOptions Options(int jobs) { return m_gate.Options(jobs); }

private:
    CLoadGate m_gate;
    std::function<void()> m_change;
};

// Parameter: the loads in flight.
class InterleavingTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { g_romEntries.RemoveAll(); }
    void TearDown() override { g_romEntries.RemoveAll(); }

    // Scans `folder` on the worker's thread with `target`. A worker that
    // blocks on a FIFO is freed by opening the FIFOs for writing, so that the
    // test fails instead of hanging.
    void Scan(const std::string& folder, ChangingScanTarget& target,
              [[maybe_unused]] const std::vector<std::string>& fifos = {}) {
        CReadROMs worker(target, folder, target.Options(GetParam()));
        ASSERT_TRUE(worker.CreateThread());
        const bool done = target.WaitForDone(kHangGuard);
#ifndef _WIN32
        if (!done) {
            for (const std::string& fifo : fifos) {
                const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    ::close(fd);
                }
            }
        }
#endif
        worker.Join();
        ASSERT_TRUE(done) << "the scan stalled on a file changed after the listing";
        EXPECT_THAT(target.GetViolations(), IsEmpty());
        EXPECT_EQ(target.GetDoneCalls(), 1);
        m_nListError = worker.GetListError();
    }

    const CRomEntry& Entry(std::size_t position) const {
        const CRomEntry* entry = g_romEntries.GetAt(position);
        if (entry == nullptr) {
            throw std::out_of_range("no entry at " + std::to_string(position));
        }
        return *entry;
    }

    static std::string TitleOf(const CRomEntry& entry) {
        CartridgeHeader header{};
        entry.RestoreSlice(header);
        const auto title = header.begin() + 0xA0;
        return std::string(title, std::find(title, title + 12, 0));
    }

    TempDir m_dir;
    int m_nListError = -1;
};

} // namespace

TEST_P(InterleavingTest, FilesChangedAfterTheListingAreReadAsTheyAreWhenTheirTurnComes) {
    const std::string folder = m_dir.MakeSubdir("roms");
    const TempDir elsewhere;
    const auto write = [&](const std::string& name, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(folder + "/" + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    };
    write("a.gba", Image("FIRST"));
    for (const char* name : {"b.gba", "c.gba", "d.gba", "e.gba", "f.gba", "g.gba"}) {
        write(name, Image("ORIGINAL"));
    }
    for (const char* name : {"h.zip", "i.zip", "j.zip", "k.zip"}) {
        WriteZip(folder + "/" + name, {{"original.agb", Image("ORIGINAL")}});
    }
    const auto replacement = Image("REPLACED", 2048);
    const auto newEntry = Image("NEW ENTRY", 4096);
    const std::vector<std::string> fifos = {folder + "/c.gba", folder + "/k.zip"};

    ChangingScanTarget target("a.gba", [&] {
        fs::remove(folder + "/b.gba");
        fs::remove(folder + "/c.gba");
#ifndef _WIN32 // Windows folders hold no FIFOs and no links to devices: c, f, k just go
        ASSERT_EQ(::mkfifo(fifos[0].c_str(), 0600), 0);
#endif
        fs::remove(folder + "/d.gba");
        fs::create_directory(folder + "/d.gba");
        // A new file renamed over the old name, as editors and downloaders do.
        elsewhere.WriteFile("e.gba", replacement);
        fs::rename(elsewhere / "e.gba", folder + "/e.gba");
        fs::remove(folder + "/f.gba");
#ifndef _WIN32
        fs::create_symlink("/dev/zero", folder + "/f.gba");
#endif
        fs::resize_file(folder + "/g.gba", 0);
        elsewhere.WriteText("h.zip", "no longer an archive");
        fs::rename(elsewhere / "h.zip", folder + "/h.zip");
        WriteZip(elsewhere / "i.zip", {{"notes.txt", TextBytes("hi")}, {"new.agb", newEntry}});
        fs::rename(elsewhere / "i.zip", folder + "/i.zip");
        fs::remove(folder + "/j.zip");
        fs::remove(folder + "/k.zip");
#ifndef _WIN32
        ASSERT_EQ(::mkfifo(fifos[1].c_str(), 0600), 0);
#endif
    });
    Scan(folder, target, fifos);

    EXPECT_EQ(m_nListError, 0);
    EXPECT_THAT(target.GetRowTexts(), ElementsAre("a.gba", "e.gba", "g.gba", "new.agb"));
    EXPECT_THAT(target.GetItemData(), ElementsAre(0, 1, 2, 3));
    ASSERT_EQ(g_romEntries.GetSize(), 4u);
    EXPECT_EQ(TitleOf(Entry(0)), "FIRST");
    EXPECT_EQ(Entry(1).m_strPath, folder + CFileSystem::kSeparator + "e.gba");
    EXPECT_EQ(Entry(1).m_dwSize, 2048u);
    EXPECT_EQ(TitleOf(Entry(1)), "REPLACED");
    EXPECT_EQ(Entry(1).m_dwFlags, 0u);
    EXPECT_EQ(Entry(2).m_dwSize, 0u);
    EXPECT_EQ(Entry(2).m_dwFlags, ROMF_LOGO_ERROR | ROMF_COMPLEMENT_ERROR);
    EXPECT_EQ(Entry(3).m_strFileName, "i.zip");
    EXPECT_EQ(Entry(3).m_strInnerName, "new.agb");
    EXPECT_EQ(Entry(3).m_dwSize, 4096u);
    EXPECT_EQ(Entry(3).m_dwCrc32, Crc32Of(newEntry));
    EXPECT_EQ(TitleOf(Entry(3)), "NEW ENTRY");
}

TEST_P(InterleavingTest, FolderRemovedMidScanEndsWithTheRowsReadBeforeIt) {
    const std::string folder = m_dir.MakeSubdir("roms");
    m_dir.WriteFile("roms/a.bin", Image("FIRST"));
    m_dir.WriteFile("roms/b.gba", Image("SECOND"));
    WriteZip(folder + "/c.zip", {{"c.agb", Image("THIRD")}});

    ChangingScanTarget target("a.bin", [&] { fs::remove_all(folder); });
    Scan(folder, target);

    EXPECT_EQ(m_nListError, 0); // the listing was made before the folder went
    EXPECT_THAT(target.GetRowTexts(), ElementsAre("a.bin"));
    ASSERT_EQ(g_romEntries.GetSize(), 1u);
    EXPECT_EQ(TitleOf(Entry(0)), "FIRST");
}

TEST_P(InterleavingTest, FolderReplacedByAFileMidScanEndsWithTheRowsReadBeforeIt) {
    const std::string folder = m_dir.MakeSubdir("roms");
    m_dir.WriteFile("roms/a.bin", Image("FIRST"));
    m_dir.WriteFile("roms/b.gba", Image("SECOND"));
    WriteZip(folder + "/c.zip", {{"c.agb", Image("THIRD")}});

    ChangingScanTarget target("a.bin", [&] {
        fs::remove_all(folder);
        m_dir.WriteFile("roms", Image("NOT A FOLDER"));
    });
    Scan(folder, target);

    EXPECT_THAT(target.GetRowTexts(), ElementsAre("a.bin"));
    EXPECT_EQ(g_romEntries.GetSize(), 1u);
}

INSTANTIATE_TEST_SUITE_P(InFlight, InterleavingTest, ::testing::Values(1, 2, 32));
