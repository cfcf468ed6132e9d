// The scan run on the test's own thread: which files give rows, in what order,
// and what each entry records. Cases that could block (FIFOs) and everything
// about the worker's thread are in CReadROMsThreadTest.cpp.
#include "scan/CReadROMs.h"
#include "CRecordingScanTarget.h"
#include "romio/CGbaRomLoader.h"
#include "scan/CRomEntry.h"
#include "scan/CRomEntryList.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/SystemErrors.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#ifdef _WIN32
#include "tests/support/CLockedFile.h"
#else
#include <unistd.h>
#endif

using namespace testing_support;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

std::vector<std::uint8_t> Image(const std::string& title = "QB TEST", std::size_t size = 512) {
    HeaderFields fields;
    fields.title = title;
    return BuildImage(BuildHeader(fields), size);
}

class ScanTest : public ::testing::Test {
protected:
    void SetUp() override { g_romEntries.RemoveAll(); }
    void TearDown() override { g_romEntries.RemoveAll(); }

    // Scans `folder` on this thread and checks the protocol was kept.
    void Scan(const std::string& folder) {
        CReadROMs worker(m_target, folder);
        worker.OnScanStart();
        m_nListError = worker.GetListError();
        EXPECT_THAT(m_target.GetViolations(), IsEmpty());
        EXPECT_EQ(m_target.GetDoneCalls(), 1);
    }

    const CRomEntry& Entry(std::size_t position) const {
        const CRomEntry* entry = g_romEntries.GetAt(position);
        if (entry == nullptr) {
            throw std::out_of_range("no entry at " + std::to_string(position));
        }
        return *entry;
    }

    TempDir m_dir;
    CRecordingScanTarget m_target;
    int m_nListError = -1;
};

} // namespace

TEST_F(ScanTest, RowsComeGroupedByExtensionBinGbaAgbZip) {
    m_dir.WriteFile("a.gba", Image());
    m_dir.WriteFile("b.bin", Image());
    WriteZip(m_dir / "c.zip", {{"d.agb", Image()}});
    m_dir.WriteFile("m.agb", Image());
    m_dir.WriteFile("z.bin", Image());

    Scan(m_dir.Path());

    EXPECT_THAT(m_target.GetRowTexts(), ElementsAre("b.bin", "z.bin", "a.gba", "m.agb", "d.agb"));
    EXPECT_THAT(m_target.GetItemData(), ElementsAre(0, 1, 2, 3, 4));
    EXPECT_EQ(m_target.GetCount(), 5);
    EXPECT_EQ(m_nListError, 0);
}

TEST_F(ScanTest, EntriesRecordPathNamesSizeCrcAndCleanFlags) {
    const auto plain = Image("PLAIN", 300);
    m_dir.WriteFile("x.gba", plain);
    const auto inner = Image("INNER", 4096);
    WriteZip(m_dir / "pack.zip", {{"readme.txt", TextBytes("hi")}, {"demo/b.agb", inner}});

    Scan(m_dir.Path());

    ASSERT_EQ(g_romEntries.GetSize(), 2u);
    const CRomEntry& x = Entry(0);
    EXPECT_EQ(x.m_strPath, m_dir / "x.gba");
    EXPECT_EQ(x.m_strFileName, "x.gba");
    EXPECT_EQ(x.m_strInnerName, "");
    EXPECT_EQ(x.m_dwSize, 300u);
    EXPECT_EQ(x.m_dwCrc32, 0u);
    EXPECT_EQ(x.m_dwFlags, 0u);

    const CRomEntry& zipped = Entry(1);
    EXPECT_EQ(zipped.m_strPath, m_dir / "pack.zip");
    EXPECT_EQ(zipped.m_strFileName, "pack.zip");
    EXPECT_EQ(zipped.m_strInnerName, "demo/b.agb");
    EXPECT_EQ(zipped.m_dwSize, 4096u);
    EXPECT_EQ(zipped.m_dwCrc32, Crc32Of(inner));
    EXPECT_EQ(zipped.m_dwFlags, 0u);
    // The row of an archived image shows the stored name, folder part included.
    EXPECT_THAT(m_target.GetRowTexts(), ElementsAre("x.gba", "demo/b.agb"));
}

TEST_F(ScanTest, EntryKeepsTheInformationBlockOfTheFileItRead) {
    HeaderFields fields;
    fields.title = "SLICE";
    fields.gameCode = "QSLP";
    fields.version = 7;
    const CartridgeHeader header = BuildHeader(fields);
    m_dir.WriteFile("slice.gba", BuildImage(header, 1024));

    Scan(m_dir.Path());

    ASSERT_EQ(g_romEntries.GetSize(), 1u);
    CartridgeHeader restored{};
    Entry(0).RestoreSlice(restored);
    for (std::size_t offset = 0xA0; offset <= 0xBF; ++offset) {
        EXPECT_EQ(restored[offset], header[offset]) << offset;
    }
}

TEST_F(ScanTest, LogoAndComplementFaultsBecomeFlags) {
    HeaderFields logo;
    logo.logoIntact = false;
    HeaderFields complement;
    complement.complementRight = false;
    HeaderFields both = logo;
    both.complementRight = false;
    m_dir.WriteFile("1good.gba", BuildImage(BuildHeader(), 512));
    m_dir.WriteFile("2logo.gba", BuildImage(BuildHeader(logo), 512));
    m_dir.WriteFile("3complement.gba", BuildImage(BuildHeader(complement), 512));
    m_dir.WriteFile("4both.gba", BuildImage(BuildHeader(both), 512));
    // Only the low 8 bits count: a right complement stays right when the
    // byte sum runs past 255 many times over.
    HeaderFields high;
    high.title = "\x7F\x7F\x7F\x7F\x7F\x7F\x7F\x7F\x7F\x7F\x7F\x7F";
    high.unitCode = 0xFF;
    high.deviceType = 0xFF;
    high.version = 0xFF;
    m_dir.WriteFile("5high.gba", BuildImage(BuildHeader(high), 512));

    Scan(m_dir.Path());

    ASSERT_THAT(m_target.GetRowTexts(),
                ElementsAre("1good.gba", "2logo.gba", "3complement.gba", "4both.gba", "5high.gba"));
    EXPECT_EQ(Entry(0).m_dwFlags, 0u);
    EXPECT_EQ(Entry(1).m_dwFlags, ROMF_LOGO_ERROR);
    EXPECT_EQ(Entry(2).m_dwFlags, ROMF_COMPLEMENT_ERROR);
    EXPECT_EQ(Entry(3).m_dwFlags, ROMF_LOGO_ERROR | ROMF_COMPLEMENT_ERROR);
    EXPECT_EQ(Entry(4).m_dwFlags, 0u);
}

TEST_F(ScanTest, ShortAndEmptyFilesStillGiveRows) {
    m_dir.WriteFile("short.gba", Image("SHORT", 100));
    m_dir.WriteFile("empty.bin", std::vector<std::uint8_t>{});

    Scan(m_dir.Path());

    ASSERT_THAT(m_target.GetRowTexts(), ElementsAre("empty.bin", "short.gba"));
    EXPECT_EQ(Entry(0).m_dwSize, 0u);
    EXPECT_EQ(Entry(1).m_dwSize, 100u);
    // What the short file lacks reads as zeros, not as the previous file's bytes.
    EXPECT_EQ(Entry(0).m_dwFlags, ROMF_LOGO_ERROR | ROMF_COMPLEMENT_ERROR);
}

TEST_F(ScanTest, UnreadableCandidatesAreSkippedSilently) {
    WriteZip(m_dir / "text-only.zip", {{"readme.txt", TextBytes("no image here")}});
    WriteZip(m_dir / "nested.zip", {{"inner.zip", TextBytes("PK")}});
    m_dir.WriteText("fake.zip", "not an archive at all");
    m_dir.MakeSubdir("y.gba");
    m_dir.WriteFile("real.gba", Image());

    Scan(m_dir.Path());

    EXPECT_THAT(m_target.GetRowTexts(), ElementsAre("real.gba"));
    EXPECT_THAT(m_target.GetItemData(), ElementsAre(0));
    EXPECT_EQ(g_romEntries.GetSize(), 1u);
}

TEST_F(ScanTest, UnreadableFileIsSkippedWhenPermissionsApply) {
    const std::string locked = m_dir.WriteFile("locked.gba", Image());
#ifdef _WIN32
    // Another program holds it open without sharing.
    const CLockedFile lock(locked);
#else
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads files whatever their permissions";
    }
    std::filesystem::permissions(locked, std::filesystem::perms::none);
#endif
    m_dir.WriteFile("open.gba", Image());

    Scan(m_dir.Path());

    EXPECT_THAT(m_target.GetRowTexts(), ElementsAre("open.gba"));
}

TEST_F(ScanTest, SubfoldersAreNotEntered) {
    m_dir.MakeSubdir("sub/deeper");
    m_dir.WriteFile("sub/inner.gba", Image());
    m_dir.WriteFile("sub/deeper/deep.gba", Image());
    m_dir.WriteFile("top.gba", Image());

    Scan(m_dir.Path());

    EXPECT_THAT(m_target.GetRowTexts(), ElementsAre("top.gba"));
}

TEST_F(ScanTest, ExtensionMatchesInAnyCaseAndOnlyAtTheEnd) {
    m_dir.WriteFile("upper.GBA", Image());
    m_dir.WriteFile("mixed.Gba", Image());
    m_dir.WriteFile("odd.gBA", Image());
    m_dir.WriteFile("arch.Zip.agb", Image()); // only the last extension counts
    WriteZip(m_dir / "PACK.ZiP", {{"IN.BIN", Image()}});
    m_dir.WriteFile(".gba", Image());
    m_dir.WriteFile("x.gba.txt", Image());
    m_dir.WriteFile("x.gbax", Image());
    m_dir.WriteFile("gba", Image());
    m_dir.WriteFile("x.", Image());
    m_dir.WriteFile("xgba", Image());

    Scan(m_dir.Path());

    EXPECT_THAT(m_target.GetRowTexts(),
                ElementsAre(".gba", "mixed.Gba", "odd.gBA", "upper.GBA", "arch.Zip.agb", "IN.BIN"));
}

TEST_F(ScanTest, GroupOrderIsUpperCasedBytesWithTiesByRawName) {
#ifdef _WIN32
    GTEST_SKIP() << "names that differ only in case cannot share a Windows folder, and a "
                    "Windows name is always Unicode";
#endif
    for (const char* name :
         {"b.gba", "a.gba", "A.gba", "_x.gba", "Z.gba", "\xE9t\xE9.gba", "ab.gba", "[.gba"}) {
        m_dir.WriteFile(name, Image());
    }

    Scan(m_dir.Path());

    // '[' (0x5B) and '_' (0x5F) lie above 'Z' but below 'a': they follow every
    // letter only when letters are folded up, and 0xE9 follows all as unsigned.
    EXPECT_THAT(m_target.GetRowTexts(), ElementsAre("A.gba", "a.gba", "ab.gba", "b.gba", "Z.gba",
                                                    "[.gba", "_x.gba", "\xE9t\xE9.gba"));
}

TEST_F(ScanTest, EmptyFolderGivesNoRowsAndOneDone) {
    Scan(m_dir.Path());

    EXPECT_THAT(m_target.GetRows(), IsEmpty());
    EXPECT_EQ(m_target.GetCount(), 0);
    EXPECT_EQ(g_romEntries.GetSize(), 0u);
    EXPECT_EQ(m_nListError, 0);
}

TEST_F(ScanTest, FolderWithoutImagesGivesNoRowsAndOneDone) {
    m_dir.WriteText("notes.txt", "nothing to see");
    m_dir.MakeSubdir("sub");

    Scan(m_dir.Path());

    EXPECT_THAT(m_target.GetRows(), IsEmpty());
    EXPECT_EQ(g_romEntries.GetSize(), 0u);
}

TEST_F(ScanTest, MissingFolderStillEndsWithOneDoneAndReportsWhy) {
    Scan(m_dir / "not-there");

    EXPECT_THAT(m_target.GetRows(), IsEmpty());
    EXPECT_EQ(m_nListError, kPathNotFound);
}

TEST_F(ScanTest, AFileInsteadOfAFolderIsReported) {
    const std::string file = m_dir.WriteFile("plain.gba", Image());

    Scan(file);

    EXPECT_THAT(m_target.GetRows(), IsEmpty());
    EXPECT_EQ(m_nListError, kNotAFolder);
}

TEST_F(ScanTest, EntriesStartAtZeroAgainAfterTheListIsEmptied) {
    m_dir.WriteFile("one.gba", Image());
    m_dir.WriteFile("two.gba", Image());
    Scan(m_dir.Path());
    ASSERT_EQ(g_romEntries.GetSize(), 2u);

    // A new folder: list, entries and count emptied together, as the dialog does.
    g_romEntries.RemoveAll();
    TempDir second;
    second.WriteFile("three.gba", Image());
    CRecordingScanTarget fresh;
    CReadROMs worker(fresh, second.Path());
    worker.OnScanStart();

    EXPECT_THAT(fresh.GetViolations(), IsEmpty());
    EXPECT_THAT(fresh.GetItemData(), ElementsAre(0));
    ASSERT_EQ(g_romEntries.GetSize(), 1u);
    EXPECT_EQ(Entry(0).m_strFileName, "three.gba");
}

TEST(MakeEntry, TakesNamesSizeAndCrcFromTheLoaderAndFlagsFromTheHeader) {
    TempDir dir;
    HeaderFields fields;
    fields.logoIntact = false;
    const auto inner = BuildImage(BuildHeader(fields), 2048);
    WriteZip(dir / "p.zip", {{"q.gba", inner}});
    CGbaRomLoader loader;
    CartridgeHeader header{};
    ASSERT_EQ(loader.Load(dir / "p.zip", 0, 512, header), 0);

    const auto entry = CReadROMs::MakeEntry(loader, header, dir / "p.zip", "p.zip");

    EXPECT_EQ(entry->GetSliceLength(), 32);
    EXPECT_EQ(entry->m_strPath, dir / "p.zip");
    EXPECT_EQ(entry->m_strFileName, "p.zip");
    EXPECT_EQ(entry->m_strInnerName, "q.gba");
    EXPECT_EQ(entry->GetDisplayName(), "q.gba");
    EXPECT_EQ(entry->m_dwSize, 2048u);
    EXPECT_EQ(entry->m_dwCrc32, Crc32Of(inner));
    EXPECT_EQ(entry->m_dwFlags, ROMF_LOGO_ERROR);
}
