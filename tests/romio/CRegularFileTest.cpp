// Opening image files: Open() looks before it opens; OpenListed(), for names a
// folder listing reported as regular files, opens without following a link and
// checks afterwards. Both give regular files only, and neither blocks.
#include "romio/CRegularFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <sys/stat.h>
#include <unistd.h>

using namespace testing_support;

namespace {

std::string LinkTo(const TempDir& dir, const std::string& name, const std::string& target) {
    const std::string link = dir / name;
    EXPECT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    return link;
}

} // namespace

TEST(RegularFile, BothWaysOpenARegularFileWithItsSize) {
    TempDir dir;
    const std::string path = dir.WriteText("a.gba", "0123456789");
    for (const auto& file : {CRegularFile::Open(path), CRegularFile::OpenListed(path)}) {
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(file->Size(), 10u);
        std::array<std::uint8_t, 4> bytes{};
        EXPECT_EQ(file->ReadAt(3, bytes), 4u);
        EXPECT_EQ(bytes[0], '3');
    }
}

TEST(RegularFile, ALinkInPlaceOfAListedFileIsFollowedOnlyWithTheLookFirst) {
    TempDir dir;
    dir.WriteText("real.gba", "abc");
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    // A link to a regular file still opens, as it would without the listing.
    const auto linked = CRegularFile::OpenListed(LinkTo(dir, "link.gba", dir / "real.gba"));
    ASSERT_TRUE(linked.has_value());
    EXPECT_EQ(linked->Size(), 3u);
    // A link to anything else is refused before it is opened.
    EXPECT_FALSE(CRegularFile::OpenListed(LinkTo(dir, "to-fifo.gba", fifo)).has_value());
    EXPECT_FALSE(CRegularFile::OpenListed(LinkTo(dir, "dangling.gba", dir / "none")).has_value());
}

TEST(RegularFile, FoldersFifosAndMissingFilesAreRefusedWithoutBlocking) {
    TempDir dir;
    const std::string fifo = dir / "fifo.gba";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = dir.MakeSubdir("folder.gba");
    for (const std::string& path : {fifo, folder, dir / "missing.gba"}) {
        EXPECT_FALSE(CRegularFile::Open(path).has_value()) << path;
        EXPECT_FALSE(CRegularFile::OpenListed(path).has_value()) << path;
    }
}
