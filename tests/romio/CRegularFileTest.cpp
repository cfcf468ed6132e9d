// Opening image files: Open() looks before it opens; OpenListed(), for names a
// folder listing reported as regular files, opens without following a link and
// checks afterwards. Both give regular files only, and neither blocks.
#include "romio/CRegularFile.h"
#include "romio/ReadFully.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#ifdef _WIN32
#include "tests/support/CLockedFile.h"
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace testing_support;

#ifndef _WIN32
// FIFOs and symbolic links are made with POSIX calls; a Windows folder's own
// hazards are at the end.
namespace {

std::string LinkTo(const TempDir& dir, const std::string& name, const std::string& target) {
    const std::string link = dir / name;
    EXPECT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    return link;
}

} // namespace

#endif

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

#ifndef _WIN32
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
#endif

TEST(RegularFile, FoldersFifosAndMissingFilesAreRefusedWithoutBlocking) {
    TempDir dir;
    std::vector<std::string> paths = {dir.MakeSubdir("folder.gba"), dir / "missing.gba"};
#ifndef _WIN32
    const std::string fifo = dir / "fifo.gba";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    paths.push_back(fifo);
#endif
    for (const std::string& path : paths) {
        EXPECT_FALSE(CRegularFile::Open(path).has_value()) << path;
        EXPECT_FALSE(CRegularFile::OpenListed(path).has_value()) << path;
    }
}

#ifdef _WIN32
// Names Windows reads as devices are refused before anything is opened: each
// is made here as a real file (through its \\?\ name), which an open would
// give. Every other name opens, whatever its script, length or trailing dots.
TEST(RegularFile, WindowsDeviceNamesAndLockedFilesAreRefusedAndOtherNamesOpen) {
    TempDir dir;
    const std::string image = "0123456789";
    struct Case {
        std::string name;
        FileFailure failure;
    };
    const std::vector<Case> cases = {
        {"CON.gba", FileFailure::NotRegularFile},
        {"nul.zip", FileFailure::NotRegularFile},
        {"COM1.bin", FileFailure::NotRegularFile},
        {"lpt9.agb", FileFailure::NotRegularFile},
        {"Aux .gba", FileFailure::NotRegularFile},
        {"PRN.gba. ", FileFailure::NotRegularFile},
        {"con.tar.gba", FileFailure::NotRegularFile},
        {"CONOUT$.gba", FileFailure::NotRegularFile},
        {"COM\xC2\xB9.gba", FileFailure::NotRegularFile},
        {"locked.gba", FileFailure::Unreadable},
        {"CONSOLE.gba", FileFailure::None},
        {"LPT10.bin", FileFailure::None},
        {"xNUL.zip.gba", FileFailure::None},
        {"trailing.gba.", FileFailure::None},
        {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.gba", FileFailure::None},
        {"\xF0\x9F\x8E\xAE.bin", FileFailure::None},
        {std::string(200, 'd') + "\\" + std::string(150, 'n') + ".gba", FileFailure::None},
    };
    dir.MakeSubdir(std::string(200, 'd'));
    for (const Case& c : cases) {
        dir.WriteText(c.name, image);
    }
    const CLockedFile lock(dir / "locked.gba");

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool listed : {false, true}) {
            FileError error;
            const auto file = listed ? CRegularFile::OpenListed(dir / c.name, &error)
                                     : CRegularFile::Open(dir / c.name, &error);
            EXPECT_EQ(error.failure, c.failure);
            EXPECT_EQ(file.has_value(), c.failure == FileFailure::None);
            if (file) {
                EXPECT_EQ(file->Size(), image.size());
            }
        }
    }
}
#endif

// Reads that a signal interrupts or that return less than asked for are gone
// on with: the 512 bytes of a header come out whole, never zero-filled.
TEST(ReadFully, InterruptedAndShortReadsStillFillTheBuffer) {
    std::vector<std::uint8_t> file(1000);
    for (std::size_t i = 0; i < file.size(); ++i) {
        file[i] = static_cast<std::uint8_t>(i * 7 + 1);
    }
    // Interrupted, then 1 byte, interrupted again, then at most 100 a time.
    int call = 0;
    const auto flaky = [&](std::uint64_t at, std::span<std::uint8_t> into) {
        ++call;
        if (call == 1 || call == 3) {
            return PartialRead{-1, true};
        }
        const std::size_t count = std::min<std::size_t>(
            {call == 2 ? 1u : 100u, into.size(), file.size() - static_cast<std::size_t>(at)});
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(at), count, into.begin());
        return PartialRead{static_cast<std::int64_t>(count), false};
    };
    std::vector<std::uint8_t> header(512);
    bool failed = false;
    EXPECT_EQ(ReadFully(flaky, 10, header, &failed), 512u);
    EXPECT_FALSE(failed);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), file.begin() + 10));

    // The end of the file, and a failure, end the loop and say which.
    EXPECT_EQ(ReadFully(flaky, 900, header, &failed), 100u);
    EXPECT_FALSE(failed);
    const auto broken = [](std::uint64_t, std::span<std::uint8_t>) {
        return PartialRead{-1, false};
    };
    EXPECT_EQ(ReadFully(broken, 0, header, &failed), 0u);
    EXPECT_TRUE(failed);
}
