// A walk's next folder listed ahead on a pool thread: whichever thread makes
// the listing, the walk takes the same one as a listing made in place.
#include "scan/CFolderListing.h"
#include "romio/CGbaRomLoader.h"
#include "scan/CLoaderPool.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace testing_support;

TEST(FolderListing, TakesWhatAListingInPlaceFindsWhoeverListedIt) {
    TempDir dir;
    for (const char* name : {"b.gba", "a.GBA", "c.zip", "notes.txt"}) {
        dir.WriteText(name, "not read by the listing");
    }
    dir.MakeSubdir("Sub");
    CGbaRomLoader loader;
    for (const std::string& folder : {dir.Path(), dir / "missing"}) {
        CFolderSearch expected;
        const int expectedError = expected.List(folder, loader, true);
        auto pool = std::make_unique<CLoaderPool>();
        // Taken at once (before a pool thread got to some) and after others.
        for (int round = 0; round < 20; ++round) {
            CFolderSearch search;
            ASSERT_EQ(CFolderListing::StartAhead(folder, true, *pool)->Take(search), expectedError);
            ASSERT_EQ(search.GetGroupCount(), expected.GetGroupCount());
            for (int slot = 0; slot < expected.GetGroupCount(); ++slot) {
                EXPECT_EQ(search.GetGroup(slot), expected.GetGroup(slot)) << folder;
            }
            EXPECT_EQ(search.GetSubfolders(), expected.GetSubfolders());
        }
        // A walk that ends with a listing still ahead leaves it to its thread.
        const auto abandoned = CFolderListing::StartAhead(folder, true, *pool);
        pool.reset();
    }
}
