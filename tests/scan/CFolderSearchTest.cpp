// The folder listing behind a scan: which names are candidates, how they are
// grouped by extension slot and ordered in a group; and the name order itself.
#include "scan/CFolderSearch.h"
#include "romio/CGbaRomLoader.h"
#include "scan/NameOrder.h"
#include "tests/support/SystemErrors.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace testing_support;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {
const std::string kAnyBytes = "not read by the listing";
} // namespace

TEST(FolderSearch, GroupsFollowTheLoaderSlots) {
    TempDir dir;
    for (const char* name : {"z.zip", "y.agb", "x.gba", "w.bin", "v.txt", "u.GBA"}) {
        dir.WriteText(name, kAnyBytes);
    }
    CGbaRomLoader loader;
    CFolderSearch search;

    ASSERT_EQ(search.List(dir.Path(), loader), 0);

    ASSERT_EQ(search.GetGroupCount(), 4);
    EXPECT_THAT(search.GetGroup(0), ElementsAre("w.bin"));
    EXPECT_THAT(search.GetGroup(1), ElementsAre("u.GBA", "x.gba"));
    EXPECT_THAT(search.GetGroup(2), ElementsAre("y.agb"));
    EXPECT_THAT(search.GetGroup(3), ElementsAre("z.zip"));
    EXPECT_EQ(search.GetTotal(), 5u);
}

TEST(FolderSearch, NamesAreMatchedByTheirLastExtensionOnly) {
    TempDir dir;
    for (const char* name : {".gba", "x.gba.txt", "x.gbax", "gba", "x.", "x.txt.gba", "a.b.c.ZIP",
                             "x.gb", ".hidden.bin"}) {
        dir.WriteText(name, kAnyBytes);
    }
    CGbaRomLoader loader;
    CFolderSearch search;

    ASSERT_EQ(search.List(dir.Path(), loader), 0);

    EXPECT_THAT(search.GetGroup(0), ElementsAre(".hidden.bin"));
    EXPECT_THAT(search.GetGroup(1), ElementsAre(".gba", "x.txt.gba"));
    EXPECT_THAT(search.GetGroup(2), IsEmpty());
    EXPECT_THAT(search.GetGroup(3), ElementsAre("a.b.c.ZIP"));
}

TEST(FolderSearch, FoldersMatchingThePatternAreCandidatesToo) {
    // The loader, not the listing, turns them away.
    TempDir dir;
    dir.MakeSubdir("folder.gba");
    CGbaRomLoader loader;
    CFolderSearch search;

    ASSERT_EQ(search.List(dir.Path(), loader), 0);

    EXPECT_THAT(search.GetGroup(1), ElementsAre("folder.gba"));
}

TEST(FolderSearch, FailureGivesTheErrnoAndEmptyGroups) {
    TempDir dir;
    const std::string file = dir.WriteText("file.gba", kAnyBytes);
    CGbaRomLoader loader;
    CFolderSearch search;

    EXPECT_EQ(search.List(dir / "missing", loader), kPathNotFound);
    EXPECT_EQ(search.GetTotal(), 0u);
    EXPECT_EQ(search.List(file, loader), kNotAFolder);
    EXPECT_EQ(search.GetGroupCount(), 4);
    EXPECT_EQ(search.GetTotal(), 0u);
}

TEST(FolderSearch, ListingAgainForgetsTheFormerFolder) {
    TempDir first;
    first.WriteText("one.gba", kAnyBytes);
    TempDir second;
    second.WriteText("two.gba", kAnyBytes);
    CGbaRomLoader loader;
    CFolderSearch search;

    ASSERT_EQ(search.List(first.Path(), loader), 0);
    ASSERT_EQ(search.List(second.Path(), loader), 0);

    EXPECT_THAT(search.GetGroup(1), ElementsAre("two.gba"));
    EXPECT_EQ(search.GetTotal(), 1u);
}

TEST(FolderSearch, EmptyFolderNameStandsForTheRoot) {
    // A folder path "/x" loses its one trailing "/" as "/x", but "/" becomes "".
    CGbaRomLoader loader;
    CFolderSearch root;
    CFolderSearch slash;

    ASSERT_EQ(root.List("", loader), 0);
    ASSERT_EQ(slash.List("/", loader), 0);

    for (int slot = 0; slot < root.GetGroupCount(); ++slot) {
        EXPECT_EQ(root.GetGroup(slot), slash.GetGroup(slot)) << slot;
    }
}

TEST(NameOrder, FoldsAsciiLettersUpAndComparesUnsignedBytes) {
    EXPECT_EQ(CompareUpperCased("alpha.gba", "ALPHA.GBA"), 0);
    EXPECT_LT(CompareUpperCased("alpha.gba", "BETA.GBA"), 0);
    EXPECT_GT(CompareUpperCased("BETA.GBA", "alpha.gba"), 0);
    // Folding up, not down: '_' (0x5F) lies between 'Z' and 'a'.
    EXPECT_GT(CompareUpperCased("_x", "zz"), 0);
    EXPECT_LT(CompareUpperCased("Zz", "_x"), 0);
    // Bytes from 0x80 on are larger than any ASCII byte, and not folded.
    EXPECT_GT(CompareUpperCased("\xE9", "z"), 0);
    EXPECT_NE(CompareUpperCased("\xE9", "\xC9"), 0);
    // A name that is a prefix of another comes first.
    EXPECT_LT(CompareUpperCased("ab", "abc"), 0);
    EXPECT_GT(CompareUpperCased("abc", "AB"), 0);
    EXPECT_EQ(CompareUpperCased("", ""), 0);
    EXPECT_LT(CompareUpperCased("", "a"), 0);
}

TEST(NameOrder, LongNamesDifferingOnlyInCaseOrLateStillCompareRightly) {
    // Equal bytes are skipped in blocks; what follows them must still be folded.
    EXPECT_EQ(CompareUpperCased("Advance Dragon Racer (usa).gba", "ADVANCE DRAGON RACER (USA).GBA"),
              0);
    EXPECT_LT(
        CompareUpperCased("Advance Dragon Racer (Europe) a", "ADVANCE DRAGON RACER (EUROPE) B"), 0);
    EXPECT_GT(
        CompareUpperCased("Advance Dragon Racer (Europe) _", "advance dragon racer (europe) z"), 0);
    EXPECT_LT(CompareUpperCased("Advance Dragon Racer", "advance dragon racer (USA)"), 0);
    EXPECT_GT(CompareUpperCased("0123456789abcdef\xE9", "0123456789ABCDEFz"), 0);
}

TEST(FolderSearch, GroupOrderHoldsForNamesSharingLongPrefixes) {
#ifdef _WIN32
    GTEST_SKIP() << "names that differ only in case cannot share a Windows folder";
#endif
    TempDir dir;
    // Alike for 16 bytes and more, alike but for case, and prefixes of each other.
    const std::vector<std::string> names = {
        "Advance Dragon Racer (USA) b.gba",
        "advance dragon racer (usa) A.gba",
        "ADVANCE DRAGON RACER (USA) a.gba",
        "Advance Dragon.gba",
        "Advance Dragon Racer.gba",
        "advance dragon racer (usa) a.gba",
        "Advance Dragon Racer_.gba",
        "ADVANCE dragon.gba",
        "a.gba",
        "A.gba",
        "0123456789abcdef\xE9.gba",
        "0123456789ABCDEFz.gba",
    };
    for (const std::string& name : names) {
        dir.WriteText(name, kAnyBytes);
    }
    // The order by upper-cased name, ties by the raw bytes, worked out here.
    const auto upper = [](std::string text) {
        for (char& c : text) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
        return text;
    };
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end(), [&](const std::string& a, const std::string& b) {
        const std::string x = upper(a);
        const std::string y = upper(b);
        return x != y ? x < y : a < b; // std::string compares bytes as unsigned
    });

    CFolderSearch search;
    const CGbaRomLoader loader;
    ASSERT_EQ(search.List(dir.Path(), loader), 0);

    EXPECT_EQ(search.GetGroup(1), expected);
}

#ifndef _WIN32
TEST(FolderSearch, LinksToFoldersAreNotSubfoldersWhetherOrNotTheListingTellsKinds) {
    TempDir dir;
    dir.MakeSubdir("real");
    std::filesystem::create_directory_symlink(dir / "real", dir / "linked");
    std::filesystem::create_directory_symlink(dir / "real", dir / "looks.gba");
    // As XFS, NFS and some FUSE file systems list: no entry's kind is known.
    const auto untyped = [](const std::string& folder,
                            const std::function<void(std::string_view, ListedKind)>& visit) {
        return CFileSystem::ListFolder(folder, [&visit](std::string_view name, ListedKind) {
            visit(name, ListedKind::Unknown);
        });
    };
    CGbaRomLoader loader;
    for (CFolderSearch search : {CFolderSearch(), CFolderSearch(untyped)}) {
        ASSERT_EQ(search.List(dir.Path(), loader, true), 0);
        EXPECT_THAT(search.GetSubfolders(), ElementsAre("real"));
        EXPECT_THAT(search.GetGroup(1), ElementsAre("looks.gba")); // a candidate, never regular
        EXPECT_FALSE(search.IsListedRegular(1, 0));
    }
}
#endif
