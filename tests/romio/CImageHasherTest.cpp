// Hashing one image whole: known contents in a plain file and in every kind
// of archive give their published checksums, images longer than one read
// hash like their bytes taken at once, failures say why, a zip bomb is
// hashed as a stream, and a stop ends the hash before its next read.
#include "romio/CImageHasher.h"
#include "tests/support/DeflateWriter.h"
#include "tests/support/RawZipWriter.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBomb.h"
#include "tests/support/ZipBuilder.h"
#include "tests/support/ZipLayout.h"

#include <gtest/gtest.h>

#include <numeric>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

using namespace testing_support;

namespace {

constexpr std::size_t kRead = CImageHasher::kReadSize;

// Where a test keeps an image.
enum class Holder { Plain, Stored, Deflated, AfterReadme };

struct Stored {
    std::string path;
    std::string innerName;
};

Stored Store(const TempDir& dir, Holder holder, const std::vector<std::uint8_t>& image) {
    switch (holder) {
    case Holder::Plain:
        return {dir.WriteFile("image.gba", image), ""};
    case Holder::Stored:
        WriteZip(dir / "stored.zip", {{.name = "game.gba", .data = image, .deflate = false}});
        return {dir / "stored.zip", "game.gba"};
    case Holder::Deflated:
        WriteZip(dir / "deflated.zip", {{.name = "game.bin", .data = image}});
        return {dir / "deflated.zip", "game.bin"};
    case Holder::AfterReadme:
        // An odd-length readme first, so the image starts at no particular
        // offset of the archive.
        WriteZip(dir / "readme.zip",
                 {{"readme.txt", TextBytes("Read me first!")}, {"demo/game.agb", image}});
        return {dir / "readme.zip", "demo/game.agb"};
    }
    return {};
}

constexpr Holder kHolders[] = {Holder::Plain, Holder::Stored, Holder::Deflated,
                               Holder::AfterReadme};

} // namespace

TEST(ImageHasher, KnownContentsGiveTheirPublishedChecksumsInEveryHolder) {
    struct Known {
        std::string content;
        std::uint32_t crc32;
        const char* sha1;
        const char* md5;
    };
    const Known known[] = {
        {"", 0, "da39a3ee5e6b4b0d3255bfef95601890afd80709", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", 0x352441C2, "a9993e364706816aba3e25717850c26c9cd0d89d",
         "900150983cd24fb0d6963f7d28e17f72"},
        {"123456789", 0xCBF43926, "f7c3bc1d808e04732adf679965ccc34ca7ae3441",
         "25f9e794323b453885f5181f1b624d0b"},
    };
    CImageHasher hasher; // one for all: nothing may carry over from image to image
    for (const Known& k : known) {
        for (const Holder holder : kHolders) {
            TempDir dir;
            const Stored stored = Store(dir, holder, TextBytes(k.content));
            const HashResult result = hasher.Hash(stored.path, {.bDigests = true});
            ASSERT_TRUE(result.Succeeded()) << stored.path << ": " << result.failureText;
            const ImageHashes& hashes = result.hashes;
            EXPECT_EQ(hashes.innerName, stored.innerName);
            EXPECT_EQ(hashes.size, k.content.size());
            EXPECT_EQ(hashes.crc32, k.crc32) << stored.path << " " << k.content;
            ASSERT_TRUE(hashes.sha1 && hashes.md5);
            EXPECT_EQ(HexDigits(*hashes.sha1), k.sha1) << stored.path << " " << k.content;
            EXPECT_EQ(HexDigits(*hashes.md5), k.md5) << stored.path << " " << k.content;
            EXPECT_EQ(hashes.backupType, "");
        }
    }
}

TEST(ImageHasher, ImagesOfManyReadsHashLikeTheirBytesAndFindIdsAcrossReads) {
    // The save id straddles the end of the first read; one byte further on
    // it is no longer at an offset of the image that is a multiple of 4.
    struct Case {
        std::size_t idOffset;
        std::string expected;
    };
    const Case cases[] = {{kRead - 4, "FLASH1M_V103"}, {kRead - 3, ""}};
    CImageHasher hasher;
    for (const Case& c : cases) {
        // Bytes counting up: no save id turns up in them by chance.
        std::vector<std::uint8_t> image(3 * kRead + 5);
        std::iota(image.begin(), image.end(), std::uint8_t{0});
        const std::string id = "FLASH1M_V103";
        std::copy(id.begin(), id.end(), image.begin() + static_cast<std::ptrdiff_t>(c.idOffset));
        auto sha1 = CSha1::Create();
        auto md5 = CMd5::Create();
        ASSERT_TRUE(sha1 && md5);
        sha1->Update(image);
        md5->Update(image);
        const auto expectedSha1 = sha1->Final();
        const auto expectedMd5 = md5->Final();
        for (const Holder holder : kHolders) {
            TempDir dir;
            const Stored stored = Store(dir, holder, image);
            const HashResult result = hasher.Hash(stored.path, {.bDigests = true});
            ASSERT_TRUE(result.Succeeded()) << stored.path << ": " << result.failureText;
            EXPECT_EQ(result.hashes.size, image.size());
            EXPECT_EQ(result.hashes.crc32, Crc32Of(image)) << stored.path;
            EXPECT_EQ(result.hashes.sha1, expectedSha1) << stored.path;
            EXPECT_EQ(result.hashes.md5, expectedMd5) << stored.path;
            EXPECT_EQ(result.hashes.backupType, c.expected) << stored.path << " " << c.idOffset;
        }
    }
}

TEST(ImageHasher, ImagesThatCannotBeHashedSayWhy) {
    TempDir dir;
    const auto image = TextBytes("an image of a few bytes");
    const auto add = [&](const std::string& name, const RawZipWriter::Entry& entry,
                         std::span<const std::uint8_t> stored, std::uint64_t size,
                         std::uint32_t crc) {
        RawZipWriter zip(dir / name);
        zip.AddEntry(entry, stored, size, crc);
        zip.Close();
    };
    DeflateWriter broken;
    broken.BeginFixedBlock(false);
    broken.Literals(image);
    broken.EndBlock();
    broken.InvalidBlock();

    add("crc.zip", {.name = "a.gba", .method = 0}, image, image.size(), Crc32Of(image) ^ 1);
    add("broken.zip", {.name = "a.gba"}, broken.Finish(), 4096, 0);
    // The directory claims almost 4 GiB: the hash must go by the data alone.
    add("claims.zip", {.name = "a.gba", .method = 0}, image, 0xFFFFFF00u, Crc32Of(image));
    add("secret.zip", {.name = "a.gba", .method = 0, .flags = 1}, image, image.size(),
        Crc32Of(image));
    // Packed with LZMA (method 14), as the directory says.
    WriteZip(dir / "lzma.zip", {{"a.gba", image}});
    auto lzma = ReadWholeFile(dir / "lzma.zip");
    PutLe16(lzma, DescribeZip(lzma).entries.at(0).central + CentralRecord::kMethod, 14);
    dir.WriteFile("lzma.zip", lzma);
    WriteZip(dir / "text.zip", {{"a.txt", image}});
    dir.WriteText("fake.zip", "not an archive, though long enough to be looked at as one");
    dir.MakeSubdir("folder.gba");

    struct Case {
        std::string name;
        HashFailure expected;
    };
    std::vector<Case> cases = {
        {"missing.gba", HashFailure::NotFound},        {"missing.zip", HashFailure::NotFound},
        {"folder.gba", HashFailure::IsFolder},         {"fake.zip", HashFailure::NotZip},
        {"text.zip", HashFailure::NoImageInArchive},   {"crc.zip", HashFailure::DamagedArchive},
        {"broken.zip", HashFailure::DamagedArchive},   {"claims.zip", HashFailure::DamagedArchive},
        {"secret.zip", HashFailure::UnsupportedEntry}, {"lzma.zip", HashFailure::UnsupportedEntry},
    };
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((dir / "fifo.gba").c_str(), 0600), 0);
    cases.push_back({"fifo.gba", HashFailure::NotRegularFile});
#endif
    CImageHasher hasher;
    for (const Case& c : cases) {
        const HashResult result = hasher.Hash(dir / c.name, {.bDigests = true});
        EXPECT_EQ(result.failure, c.expected) << c.name << ": " << result.failureText;
        EXPECT_FALSE(result.failureText.empty()) << c.name;
        EXPECT_EQ(result.hashes.size, 0u) << c.name;
        EXPECT_FALSE(result.hashes.sha1.has_value()) << c.name;
    }
}

TEST(ImageHasher, AZipBombIsHashedAsAStreamInBoundedMemory) {
    TempDir dir;
    constexpr std::uint64_t kInflated = std::uint64_t{512} << 20;
    const auto start = TextBytes("SRAM_V113 and then the same byte over and over");
    const ZipBombInfo bomb = WriteZipBomb(dir / "bomb.zip", "bomb.gba", start, kInflated);
#ifndef _WIN32
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
#endif
    const HashResult result = CImageHasher().Hash(dir / "bomb.zip");
    ASSERT_TRUE(result.Succeeded()) << result.failureText;
    EXPECT_EQ(result.hashes.size, kInflated);
    EXPECT_EQ(result.hashes.crc32, bomb.crc);
    EXPECT_EQ(result.hashes.backupType, "SRAM_V113");
    EXPECT_FALSE(result.hashes.sha1 || result.hashes.md5); // not asked for
#ifndef _WIN32
    // Holding the entry, or even a fifth of it, would show in the peak.
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 100L << 10) << "KiB";
#endif
}

TEST(ImageHasher, AStopEndsTheHashBeforeItsNextRead) {
    const auto image = std::vector<std::uint8_t>(3 * kRead, 0x5A);
    CImageHasher hasher;
    for (const Holder holder : {Holder::Plain, Holder::Deflated}) {
        TempDir dir;
        const Stored stored = Store(dir, holder, image);
        std::atomic<bool> stop{false};
        std::size_t seen = 0;
        CImageHasher::Progress progress;
        progress.onBytes = [&](std::size_t bytes) {
            seen += bytes;
            stop = true;
        };
        const HashResult result = hasher.Hash(stored.path, {.bDigests = true}, stop, progress);
        EXPECT_EQ(result.failure, HashFailure::Stopped) << stored.path;
        EXPECT_EQ(seen, kRead) << stored.path;
        // Stopped before the first read, nothing is read.
        seen = 0;
        EXPECT_EQ(hasher.Hash(stored.path, {}, stop, progress).failure, HashFailure::Stopped);
        EXPECT_EQ(seen, 0u);
    }
    // The stopped hashes leave nothing behind for the next image.
    TempDir dir;
    const HashResult next = hasher.Hash(dir.WriteText("abc.gba", "abc"), {.bDigests = true});
    ASSERT_TRUE(next.Succeeded());
    EXPECT_EQ(next.hashes.crc32, 0x352441C2u);
    EXPECT_EQ(HexDigits(*next.hashes.sha1), "a9993e364706816aba3e25717850c26c9cd0d89d");
}
