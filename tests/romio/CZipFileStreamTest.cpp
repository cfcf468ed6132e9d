// The file access minizip reads archives through: reads served from a window
// give the file's bytes wherever the position goes, seeks behave as fseeko
// does, and only regular files open.
#include "romio/CZipFileStream.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>
#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace testing_support;

namespace {

// Bytes that differ from position to position, so a read from the wrong place shows.
std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 131 + i / 251) & 0xFF);
    }
    return bytes;
}

// Reads `count` bytes at `offset` through the stream and compares them with the file's.
void ExpectReadAt(CZipFileStream& stream, const std::vector<std::uint8_t>& file,
                  std::uint64_t offset, std::size_t count) {
    ASSERT_TRUE(stream.Seek(offset, CZipFileStream::kSeekSet));
    std::vector<std::uint8_t> got(count, 0xEE);
    const std::size_t expected =
        offset >= file.size() ? 0 : std::min<std::size_t>(count, file.size() - offset);
    ASSERT_EQ(stream.Read(got), expected) << "at " << offset << ", " << count << " bytes";
    for (std::size_t i = 0; i < expected; ++i) {
        ASSERT_EQ(got[i], file[offset + i]) << "byte " << offset + i;
    }
    EXPECT_EQ(stream.Tell(), offset + expected);
}

} // namespace

TEST(ZipFileStream, ReadsTheFileWhereverMinizipLooks) {
    TempDir dir;
    for (const std::size_t size : {std::size_t{0}, std::size_t{100}, std::size_t{5000},
                                   std::size_t{0x10000 + 0x400}, std::size_t{200000}}) {
        const auto file = Pattern(size);
        auto stream = CZipFileStream::Open(dir.WriteFile("a.zip", file));
        ASSERT_NE(stream, nullptr);
        // The directory search: 1 KiB chunks backwards from the end.
        for (std::uint64_t back = 4; back < std::min<std::uint64_t>(size, 0xFFFF); back += 0x400) {
            ExpectReadAt(*stream, file, size - back, 0x404);
        }
        // Directory records a few bytes at a time, then the first local header
        // and an entry's data, larger than a window, from odd places.
        for (std::uint64_t offset = size / 3; offset < size / 3 + 64; offset += 3) {
            ExpectReadAt(*stream, file, offset, 2);
        }
        ExpectReadAt(*stream, file, 0, 30);
        ExpectReadAt(*stream, file, 30, 16384);
        ExpectReadAt(*stream, file, 4090, 9);
        ExpectReadAt(*stream, file, size > 7 ? size - 7 : 0, 64); // runs into the end
        ExpectReadAt(*stream, file, size + 10, 8);                // past the end: nothing
        EXPECT_FALSE(stream->HasError());
    }
}

TEST(ZipFileStream, ServesTheTailAsReadAtOpeningAndTheRestFromTheFile) {
    TempDir dir;
    constexpr std::size_t kTail = CZipFileStream::kTailSize;
    for (const std::size_t size : {std::size_t{100}, kTail, kTail + 5000, std::size_t{300000}}) {
        const auto before = Pattern(size);
        auto after = before;
        std::ranges::for_each(after, [](std::uint8_t& byte) { byte ^= 0x5A; });
        auto stream = CZipFileStream::Open(dir.WriteFile("a.zip", before));
        ASSERT_NE(stream, nullptr);
        dir.WriteFile("a.zip", after); // what is not in the tail is read from here on
        const std::size_t tailStart = size - std::min(size, kTail);
        std::vector<std::uint8_t> expected(after.begin(), after.begin() + tailStart);
        expected.insert(expected.end(), before.begin() + tailStart, before.end());
        // Inside the tail, across its start, before it (small and large), at
        // and past the end.
        const std::size_t reads[][2] = {{size - 30, 20}, {tailStart > 10 ? tailStart - 10 : 0, 40},
                                        {0, 30},         {7, CZipFileStream::kHeadWindow + 9},
                                        {size - 5, 64},  {size, 4},
                                        {size + 3, 8}};
        for (const auto& [offset, count] : reads) {
            ExpectReadAt(*stream, expected, offset, count);
        }
        EXPECT_FALSE(stream->HasError());
    }
}

TEST(ZipFileStream, AnswersOnlyAFutileZip64SearchWithNothing) {
    TempDir dir;
    constexpr std::size_t kSize = 0x12000; // minizip searches its last 0xFFFF bytes
    const std::uint8_t signature[] = {0x50, 0x4B, 0x06, 0x07};
    struct Case {
        std::size_t size, signatureAt /* size: none */, readAt, readLength, delivered;
    };
    for (const Case& c : {Case{kSize, kSize, kSize - 0x404, 0x404, 0},
                          Case{kSize, kSize - 0xFFFF - 1, kSize - 0x404, 0x404, 0},
                          Case{kSize, kSize - 0xFFFF, kSize - 0x404, 0x404, 0x404},
                          Case{kSize, kSize - 4, kSize - 0x404, 0x404, 0x404},
                          Case{kSize, kSize, kSize - 0x400, 0x400, 0x400}, // another read
                          Case{600, 600, 0, 600, 0}, Case{600, 0, 0, 600, 600}}) {
        std::vector<std::uint8_t> file(c.size, 0);
        if (c.signatureAt < c.size) {
            std::ranges::copy(signature, file.begin() + static_cast<std::ptrdiff_t>(c.signatureAt));
        }
        CZipFileStream::OpenContext context;
        context.skipFutileZip64Search = true;
        auto stream = CZipFileStream::Open(dir.WriteFile("a.zip", file), context);
        ASSERT_NE(stream, nullptr);
        ASSERT_TRUE(stream->Seek(c.readAt, CZipFileStream::kSeekSet));
        std::vector<std::uint8_t> buffer(c.readLength);
        EXPECT_EQ(stream->Read(buffer), c.delivered) << c.size << " " << c.signatureAt;
        ExpectReadAt(*stream, file, c.readAt, c.readLength); // and only the first time
    }
}

TEST(ZipFileStream, SeeksAsFseekoDoes) {
    TempDir dir;
    const auto file = Pattern(1000);
    auto stream = CZipFileStream::Open(dir.WriteFile("a.zip", file));
    ASSERT_NE(stream, nullptr);

    EXPECT_TRUE(stream->Seek(0, CZipFileStream::kSeekEnd));
    EXPECT_EQ(stream->Tell(), 1000u);
    EXPECT_TRUE(stream->Seek(static_cast<std::uint64_t>(-22), CZipFileStream::kSeekCur));
    EXPECT_EQ(stream->Tell(), 978u); // a negative step arrives wrapped in the unsigned type
    EXPECT_TRUE(stream->Seek(5, CZipFileStream::kSeekCur));
    EXPECT_EQ(stream->Tell(), 983u);

    // Before the start, past what off_t holds, or an unknown origin: refused,
    // and the position stays.
    EXPECT_FALSE(stream->Seek(static_cast<std::uint64_t>(-984), CZipFileStream::kSeekCur));
    EXPECT_FALSE(
        stream->Seek(std::numeric_limits<std::uint64_t>::max() / 2 + 1, CZipFileStream::kSeekSet));
    EXPECT_FALSE(stream->Seek(std::numeric_limits<std::int64_t>::max(), CZipFileStream::kSeekEnd));
    EXPECT_FALSE(stream->Seek(0, 7));
    EXPECT_EQ(stream->Tell(), 983u);

    // Past the end is a place like any other; nothing is read there.
    EXPECT_TRUE(stream->Seek(5000, CZipFileStream::kSeekSet));
    std::vector<std::uint8_t> buffer(4);
    EXPECT_EQ(stream->Read(buffer), 0u);
    EXPECT_EQ(stream->Tell(), 5000u);
}

TEST(ZipFileStream, OpensRegularFilesOnly) {
    TempDir dir;
    EXPECT_EQ(CZipFileStream::Open(dir / "missing.zip"), nullptr);
    EXPECT_EQ(CZipFileStream::Open(dir.MakeSubdir("folder.zip")), nullptr);
#ifndef _WIN32
    const std::string fifo = dir / "fifo.zip";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(CZipFileStream::Open(fifo), nullptr); // and does not block
#endif
}
