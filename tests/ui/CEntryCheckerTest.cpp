// Checking a scan's entries against a DAT: which images are read whole, what
// the results say, and that a stop ends the reads.
#include "ui/CEntryChecker.h"

#include "dat/CDatFile.h"
#include "scan/CRomEntry.h"
#include "tests/support/CLoadGate.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"
#include "ui/DatResultText.h"

#include <gtest/gtest.h>

#include <memory>

using namespace testing_support;

namespace {

const std::vector<std::uint8_t> kGood(300, 0x47);
const std::vector<std::uint8_t> kOther(300, 0x4F);

std::unique_ptr<CRomEntry> EntryFor(const TempDir& dir, const std::string& file,
                                    const std::string& inner, std::uint64_t size,
                                    std::uint32_t crc) {
    auto entry = std::make_unique<CRomEntry>(32);
    entry->SetFolder(std::make_shared<const std::string>(dir / ""));
    entry->m_strFileName = file;
    entry->m_strInnerName = inner;
    entry->m_dwSize = size;
    entry->m_dwCrc32 = crc;
    return entry;
}

CDatIndex IndexWithGood() {
    const std::string dat =
        "<datafile><game name=\"Good Game\"><rom name=\"good.gba\" size=\"300\" "
        "crc=\"" +
        HexCrc32(Crc32Of(kGood)) + "\"/></game></datafile>";
    CDatIndex index;
    auto loaded = CDatFile::Parse(dat, "test.dat");
    EXPECT_TRUE(loaded.dat) << loaded.error.Text();
    index.Add(std::move(*loaded.dat));
    return index;
}

struct Fixture {
    TempDir dir;
    std::vector<std::unique_ptr<CRomEntry>> owned;

    Fixture() {
        dir.WriteFile("good.gba", kGood);
        dir.WriteFile("other.gba", kOther);
        // The archive entry is never read: its file does not even exist.
        owned.push_back(EntryFor(dir, "absent.zip", "good.gba", 300, Crc32Of(kGood)));
        owned.push_back(EntryFor(dir, "good.gba", "", 300, 0));
        owned.push_back(EntryFor(dir, "other.gba", "", 300, 0));
        owned.push_back(EntryFor(dir, "gone.gba", "", 300, 0));
    }
    std::vector<const CRomEntry*> Entries() const {
        std::vector<const CRomEntry*> entries;
        for (const auto& entry : owned) {
            entries.push_back(entry.get());
        }
        return entries;
    }
};

std::vector<EntryCheck> CheckAll(CEntryChecker& checker) {
    EXPECT_TRUE(checker.Start());
    EXPECT_TRUE(checker.WaitUntilDone(std::chrono::seconds(30)));
    std::vector<EntryCheck> checks;
    for (std::size_t i = 0; i < checker.GetCount(); ++i) {
        checks.push_back(checker.Get(i));
    }
    return checks;
}

} // namespace

TEST(CEntryChecker, WithoutDatOrHashNothingIsRead) {
    Fixture fixture;
    CEntryChecker checker(nullptr, fixture.Entries(), {});
    for (const EntryCheck& check : CheckAll(checker)) {
        EXPECT_TRUE(check.bDone);
        EXPECT_EQ(check.match.status, DatMatchStatus::Unchecked);
        EXPECT_FALSE(check.hashes);
    }
    EXPECT_EQ(checker.GetHashCount(), 0u);
    EXPECT_EQ(checker.TakeFinished().size(), 4u);
    EXPECT_TRUE(checker.TakeFinished().empty());
}

TEST(CEntryChecker, ArchiveEntriesMatchFromTheDirectoryPlainImagesAreHashed) {
    Fixture fixture;
    const CDatIndex index = IndexWithGood();
    CEntryChecker checker(&index, fixture.Entries(), {.nThreads = 2});
    const std::vector<EntryCheck> checks = CheckAll(checker);
    EXPECT_EQ(checker.GetHashCount(), 3u);
    EXPECT_EQ(DatResultText(checks[0].match), "good: Good Game");
    EXPECT_FALSE(checks[0].hashes);
    EXPECT_EQ(DatResultText(checks[1].match), "good: Good Game");
    EXPECT_TRUE(checks[1].match.nameMatches);
    ASSERT_TRUE(checks[1].hashes);
    EXPECT_FALSE(checks[1].hashes->sha1); // only the CRC-32 a DAT needs
    EXPECT_EQ(DatResultText(checks[2].match), "unknown");
    EXPECT_EQ(checks[3].match.status, DatMatchStatus::Unchecked);
    EXPECT_FALSE(checks[3].failureText.empty());
    const BatchProgress progress = checker.GetProgress();
    EXPECT_EQ(progress.bytesDone, 600u);
}

TEST(CEntryChecker, HashAsksForDigestsOfEveryImage) {
    Fixture fixture;
    fixture.owned.erase(fixture.owned.begin()); // the archive does not exist
    CEntryChecker checker(nullptr, fixture.Entries(), {.bHash = true});
    const std::vector<EntryCheck> checks = CheckAll(checker);
    ASSERT_TRUE(checks[0].hashes);
    EXPECT_EQ(HexDigits(*checks[0].hashes->sha1).size(), 40u);
    EXPECT_EQ(checks[0].hashes->crc32, Crc32Of(kGood));
    EXPECT_EQ(checks[0].match.status, DatMatchStatus::Unchecked);
}

TEST(CEntryChecker, StopEndsTheReadsAtOnce) {
    Fixture fixture;
    const CDatIndex index = IndexWithGood();
    CLoadGate gate(CLoadGate::Named("good.gba"));
    CEntryChecker checker(&index, fixture.Entries(),
                          {.nThreads = 1, .beforeHash = gate.Options().beforeLoad});
    ASSERT_TRUE(checker.Start());
    ASSERT_TRUE(gate.WaitUntilReached(std::chrono::seconds(30)));
    checker.Stop();
    EXPECT_TRUE(checker.WaitUntilDone(std::chrono::milliseconds(0)));
    EXPECT_FALSE(checker.IsDone());
    EXPECT_FALSE(checker.Get(1).bDone);
    EXPECT_TRUE(checker.Get(0).bDone); // matched without a read
}

TEST(DatResultText, NamesTheGamesOfTheHeadersGameCode) {
    DatMatch match;
    match.status = DatMatchStatus::Unknown;
    match.gamesWithGameCode = {"A (USA)", "A (Europe)"};
    EXPECT_EQ(DatResultText(match), "unknown image of A (USA), A (Europe)");
    EXPECT_EQ(DatResultText(DatMatch{}), "unchecked");
    EXPECT_EQ(HexCrc32(0x0A0B0C0D), "0a0b0c0d");
}
