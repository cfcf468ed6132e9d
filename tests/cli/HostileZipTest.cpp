// Hostile ZIP archives through quillbey-cli: truncated at every tenth byte,
// directories that lie, a 10 GiB bomb, 65,535 entries and more, zip64,
// encryption, a 300-byte name, damaged deflate data and wrong CRCs. A matching
// entry that is found gives a row with what could be read (zeros past that)
// and the directory's size and CRC; an archive that cannot be opened gives none.
#include "HostileScanTest.h"
#include "romio/CGbaRomLoader.h"
#include "tests/support/DeflateWriter.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/RawZipWriter.h"
#include "tests/support/ZipBomb.h"
#include "tests/support/ZipBuilder.h"
#include "tests/support/ZipCipher.h"
#include "tests/support/ZipLayout.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#ifdef _WIN32
#include <windows.h>
#endif

using namespace testing_support;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

constexpr std::uint64_t kTenGiB = 10ULL << 30;
constexpr std::size_t kImageSize = 1024;

std::vector<std::uint8_t> Image(const std::string& title, std::size_t size = kImageSize) {
    return BuildImage(BuildHeader({.title = title}), size);
}

std::string Numbered(const std::string& prefix, std::size_t number) {
    char text[16];
    std::snprintf(text, sizeof text, "%05zu", number);
    return prefix + text + ".zip";
}

std::vector<ScannedRow> SortedByDisplayName(std::vector<ScannedRow> rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const ScannedRow& a, const ScannedRow& b) {
        return a.displayName < b.displayName; // every name here is lower-case ASCII
    });
    return rows;
}

// Bytes this process has asked the kernel to read so far, all files together.
std::optional<std::uint64_t> BytesReadByThisProcess() {
#ifdef _WIN32
    IO_COUNTERS counters{};
    // A process that has read its own fixtures has read something; Wine counts nothing.
    if (!GetProcessIoCounters(GetCurrentProcess(), &counters) || counters.ReadTransferCount == 0) {
        return std::nullopt;
    }
    return counters.ReadTransferCount;
#else
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") {
            return value;
        }
    }
    return std::nullopt;
#endif
}

// An archive built with `items`, then changed by `patch` (which gets its
// bytes and layout) and written back.
template <typename Patch>
void WritePatchedZip(const std::string& path, const std::vector<ZipItem>& items, Patch patch) {
    WriteZip(path, items);
    std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    const ZipLayout layout = DescribeZip(bytes);
    patch(bytes, layout);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Sets a size or CRC field of entry `entry` in its directory record and,
// when `alsoLocal`, in its local header too (a consistent lie).
void Lie(std::vector<std::uint8_t>& bytes, const ZipLayout::Entry& entry, std::size_t centralField,
         std::size_t localField, std::uint32_t value, bool alsoLocal) {
    PutLe32(bytes, entry.central + centralField, value);
    if (alsoLocal) {
        PutLe32(bytes, entry.local + localField, value);
    }
}

void SetEntryCount(std::vector<std::uint8_t>& bytes, const ZipLayout& layout, std::uint16_t count) {
    PutLe16(bytes, layout.endRecord + EndRecord::kEntriesOnDisk, count);
    PutLe16(bytes, layout.endRecord + EndRecord::kEntriesTotal, count);
}

// Flags the scan works out for a header read as these bytes.
std::uint32_t FlagsOf(const CartridgeHeader& header) {
    std::uint32_t flags = 0;
    if (!std::equal(kPublishedLogo.begin(), kPublishedLogo.end(), header.begin() + 4)) {
        flags |= 0x10;
    }
    if (ReferenceComplement(header) != header[0xBD]) {
        flags |= 0x08;
    }
    return flags;
}

} // namespace

TEST_F(HostileScanTest, TruncatedArchivesNeverCrashAndGiveOnlyTheRowsTheirBytesHold) {
    // Two archives cut at every tenth byte. The first holds a stored archive
    // as its first entry: once a cut leaves that inner archive whole, its end
    // record is the last one in the file, and the file opens as an archive
    // with a prefix that gives the inner image. A cut before any whole end
    // record gives no row. A cut inside an end record may still open (minizip
    // reads bytes past the end of the file as zeros, and most of an end
    // record is zeros): such a row must still be the archive's own image.
    TempDir scratch;
    const auto innerImage = Image("INNER");
    WriteZip(scratch / "inner.zip", {{"inner.gba", innerImage}});
    const auto innerArchive = ReadWholeFile(scratch / "inner.zip");
    const auto outerImage = Image("OUTER", 2048);
    WriteZip(scratch / "nested.zip", {{.name = "inner.zip", .data = innerArchive, .deflate = false},
                                      {"readme.txt", TextBytes("not an image")},
                                      {"game.gba", outerImage}});
    WriteZip(scratch / "plain.zip",
             {{"readme.txt", TextBytes("not an image")}, {"game.gba", outerImage}});
    const auto nested = ReadWholeFile(scratch / "nested.zip");
    const auto plain = ReadWholeFile(scratch / "plain.zip");
    const std::size_t innerStart = DescribeZip(nested).entries[0].data;
    const std::size_t innerEndRecord = innerStart + DescribeZip(innerArchive).endRecord;
    const std::size_t innerEnd = innerStart + innerArchive.size();
    const std::size_t nestedEndRecord = DescribeZip(nested).endRecord;
    const std::size_t plainEndRecord = DescribeZip(plain).endRecord;
    constexpr std::size_t kSignature = 4; // an end record is found by its first four bytes

    const ScannedRow innerRow =
        SoundRow("", "inner.gba", innerImage.size(), Crc32Of(innerImage), "INNER");
    const ScannedRow outerRow =
        SoundRow("", "game.gba", outerImage.size(), Crc32Of(outerImage), "OUTER");
    struct Cut {
        std::string file;
        std::optional<ScannedRow> row; // the row it must give, when that is determined
        std::optional<ScannedRow> may; // the row it may give, when it is not
    };
    std::vector<Cut> cuts;
    const auto named = [](ScannedRow row, const std::string& file) {
        row.fileName = file;
        return row;
    };
    for (std::size_t cut = 0; cut < nested.size(); cut += 10) {
        Cut item{Numbered("n", cut), std::nullopt, std::nullopt};
        if (cut >= innerEnd && cut < nestedEndRecord + kSignature) {
            item.row = named(innerRow, item.file);
        } else if (cut >= nestedEndRecord + kSignature) {
            item.may = named(outerRow, item.file);
        } else if (cut >= innerEndRecord + kSignature) {
            item.may = named(innerRow, item.file);
        }
        m_dir.WriteFile(item.file, std::span(nested).first(cut));
        cuts.push_back(item);
    }
    for (std::size_t cut = 0; cut < plain.size(); cut += 10) {
        Cut item{Numbered("p", cut), std::nullopt, std::nullopt};
        if (cut >= plainEndRecord + kSignature) {
            item.may = named(outerRow, item.file);
        }
        m_dir.WriteFile(item.file, std::span(plain).first(cut));
        cuts.push_back(item);
    }
    m_dir.WriteFile("whole.zip", nested);
    cuts.push_back({"whole.zip", named(outerRow, "whole.zip"), std::nullopt});

    std::map<std::string, ScannedRow> rowsByFile;
    for (const ScannedRow& row : ScanRows(m_dir.Path())) {
        EXPECT_TRUE(rowsByFile.emplace(row.fileName, row).second)
            << "two rows for " << row.fileName;
    }
    std::size_t determinedRows = 0;
    for (const Cut& cut : cuts) {
        const auto found = rowsByFile.find(cut.file);
        if (cut.row) {
            ++determinedRows;
            ASSERT_NE(found, rowsByFile.end()) << cut.file << " gave no row";
            EXPECT_EQ(found->second, *cut.row);
        } else if (!cut.may) {
            EXPECT_EQ(found, rowsByFile.end()) << cut.file << " gave a row";
        } else if (found != rowsByFile.end()) {
            // Names, size and CRC come from the whole directory; the data may be unreadable.
            ScannedRow unread = *cut.may;
            unread.flags = kZeroHeaderFlags;
            unread.headerValid = false;
            unread.internalName.clear();
            EXPECT_THAT(found->second, ::testing::AnyOf(*cut.may, unread));
        }
        rowsByFile.erase(cut.file);
    }
    EXPECT_GT(determinedRows, 20u) << "the cuts must reach past the inner archive";
    EXPECT_TRUE(rowsByFile.empty()) << "rows for files that were not written";
}

TEST_F(HostileScanTest, ArchivesThatLieOrBreakGiveTheRowsOfWhatWasRead) {
    std::vector<ScannedRow> expected;
    const auto add = [&](const ScannedRow& row) { expected.push_back(row); };
    const auto readme = ZipItem{"readme.txt", TextBytes("not an image")};

    // A zip64 entry, and an entry whose name is 300 bytes long.
    const auto zip64 = Image("ZIP64");
    WriteZip(m_dir / "zip64.zip", {{.name = "zip64.gba", .data = zip64, .zip64 = true}});
    add(SoundRow("zip64.zip", "zip64.gba", kImageSize, Crc32Of(zip64), "ZIP64"));
    const std::string longName = std::string(296, 'n') + ".gba";
    const auto longImage = Image("LONG NAME");
    WriteZip(m_dir / "long-name.zip", {{longName, longImage}});
    add(SoundRow("long-name.zip", longName, kImageSize, Crc32Of(longImage), "LONG NAME"));

    // Deflate data that breaks after 300 good bytes, and from its first bit.
    const auto late = Image("CORRUPT LATE");
    DeflateWriter breaksLate;
    breaksLate.StoredBlock(std::span(late).first(300), false);
    breaksLate.InvalidBlock();
    {
        RawZipWriter zip(m_dir / "corrupt-late.zip");
        zip.AddEntry({.name = "corrupt-late.gba"}, breaksLate.Finish(), late.size(), Crc32Of(late));
        zip.Close();
    }
    add(SoundRow("corrupt-late.zip", "corrupt-late.gba", kImageSize, Crc32Of(late),
                 "CORRUPT LATE"));
    const auto early = Image("CORRUPT EARLY");
    DeflateWriter breaksEarly;
    breaksEarly.InvalidBlock();
    {
        RawZipWriter zip(m_dir / "corrupt-early.zip");
        zip.AddEntry({.name = "corrupt-early.gba"}, breaksEarly.Finish(), early.size(),
                     Crc32Of(early));
        zip.Close();
    }
    add(ZeroRow("corrupt-early.zip", "corrupt-early.gba", kImageSize, Crc32Of(early)));

    // CRCs that are wrong: recorded alike in both headers (the data reads),
    // and in the directory alone (minizip will not open the entry then).
    const auto crcBoth = Image("WRONG CRC");
    WriteZip(m_dir / "wrong-crc.zip", {{.name = "wrong-crc.gba",
                                        .data = crcBoth,
                                        .deflate = false,
                                        .overrideCrc = true,
                                        .crc = 0x1A2B3C4D}});
    add(SoundRow("wrong-crc.zip", "wrong-crc.gba", kImageSize, 0x1A2B3C4D, "WRONG CRC"));
    WritePatchedZip(m_dir / "wrong-crc-dir.zip", {readme, {"wrong-crc-dir.gba", Image("X")}},
                    [](auto& bytes, const ZipLayout& layout) {
                        Lie(bytes, layout.entries[1], CentralRecord::kCrc, LocalHeader::kCrc,
                            0xDEADBEEF, false);
                    });
    add(ZeroRow("wrong-crc-dir.zip", "wrong-crc-dir.gba", kImageSize, 0xDEADBEEF));

    // Sizes that lie, in both headers: a huge uncompressed size (shown as
    // recorded; the first bytes read as usual), a tiny one (only that much is
    // read), and a stored entry's data cut to 300 bytes by its compressed size.
    const auto big = Image("SIZE BIG");
    WritePatchedZip(m_dir / "size-big.zip", {readme, {"size-big.gba", big}},
                    [](auto& bytes, const ZipLayout& layout) {
                        Lie(bytes, layout.entries[1], CentralRecord::kUncompressedSize,
                            LocalHeader::kUncompressedSize, 0x7FFFFFF0, true);
                    });
    add(SoundRow("size-big.zip", "size-big.gba", 0x7FFFFFF0, Crc32Of(big), "SIZE BIG"));
    const auto small = Image("SIZE SMALL");
    WritePatchedZip(m_dir / "size-small.zip", {readme, {"size-small.gba", small}},
                    [](auto& bytes, const ZipLayout& layout) {
                        Lie(bytes, layout.entries[1], CentralRecord::kUncompressedSize,
                            LocalHeader::kUncompressedSize, 100, true);
                    });
    add(ZeroRow("size-small.zip", "size-small.gba", 100, Crc32Of(small)));
    const auto cut = Image("STORED CUT");
    WritePatchedZip(m_dir / "stored-cut.zip",
                    {readme, {.name = "stored-cut.gba", .data = cut, .deflate = false}},
                    [](auto& bytes, const ZipLayout& layout) {
                        Lie(bytes, layout.entries[1], CentralRecord::kCompressedSize,
                            LocalHeader::kCompressedSize, 300, true);
                    });
    add(SoundRow("stored-cut.zip", "stored-cut.gba", kImageSize, Crc32Of(cut), "STORED CUT"));

    // A local header offset past the end: found in the directory, unreadable.
    const auto away = Image("AWAY");
    WritePatchedZip(m_dir / "offset-past-end.zip", {readme, {"offset-past-end.gba", away}},
                    [](auto& bytes, const ZipLayout& layout) {
                        PutLe32(bytes, layout.entries[1].central + CentralRecord::kLocalOffset,
                                0x7FFFFFFF);
                    });
    add(ZeroRow("offset-past-end.zip", "offset-past-end.gba", kImageSize, Crc32Of(away)));

    // An entry count larger than the directory: the walk ends with the records.
    const auto more = Image("COUNT MORE");
    WritePatchedZip(
        m_dir / "count-more.zip", {readme, {"count-more.gba", more}},
        [](auto& bytes, const ZipLayout& layout) { SetEntryCount(bytes, layout, 5000); });
    add(SoundRow("count-more.zip", "count-more.gba", kImageSize, Crc32Of(more), "COUNT MORE"));

    // Lies that hide the image or the whole archive: no row.
    const std::vector<ZipItem> hidden = {readme, {"hidden.gba", Image("HIDDEN")}};
    WritePatchedZip(m_dir / "count-fewer.zip", hidden,
                    [](auto& bytes, const ZipLayout& layout) { SetEntryCount(bytes, layout, 1); });
    WritePatchedZip(m_dir / "count-zero.zip", hidden,
                    [](auto& bytes, const ZipLayout& layout) { SetEntryCount(bytes, layout, 0); });
    WritePatchedZip(m_dir / "directory-offset.zip", hidden,
                    [](auto& bytes, const ZipLayout& layout) {
                        PutLe32(bytes, layout.endRecord + EndRecord::kDirectoryOffset, 0x7FFFFFFF);
                    });
    WritePatchedZip(m_dir / "directory-size.zip", hidden, [](auto& bytes, const ZipLayout& layout) {
        PutLe32(bytes, layout.endRecord + EndRecord::kDirectorySize, 10);
    });
    WritePatchedZip(m_dir / "name-length.zip", hidden, [](auto& bytes, const ZipLayout& layout) {
        PutLe16(bytes, layout.entries[0].central + CentralRecord::kNameLength, 0xFFFF);
    });

    EXPECT_THAT(ScanRows(m_dir.Path()), ElementsAreArray(SortedByDisplayName(expected)));
}

TEST_F(HostileScanTest, EncryptedEntriesCountAsFoundAndShowTheBytesAsStored) {
    const auto plainImage = Image("SECRET");
    // A deflated entry, encrypted: without the password, inflating what is
    // stored fails at once (its first byte announces a reserved block type).
    const std::uint32_t crc = Crc32Of(plainImage);
    DeflateWriter deflate;
    deflate.StoredBlock(plainImage, true);
    {
        RawZipWriter zip(m_dir / "deflated.zip");
        zip.AddEntry({.name = "deflated.gba", .flags = 1},
                     EncryptForZip("password", crc, deflate.Finish(), 0x07), plainImage.size(),
                     crc);
        zip.Close();
    }
    // A stored entry, encrypted: its stored bytes are what is read.
    const auto stored = EncryptForZip("password", crc, plainImage, 0x07);
    {
        RawZipWriter zip(m_dir / "stored.zip");
        zip.AddEntry({.name = "stored.gba", .method = 0, .flags = 1}, stored, plainImage.size(),
                     crc);
        zip.Close();
    }
    CartridgeHeader asStored{};
    std::copy_n(stored.begin(), asStored.size(), asStored.begin());
    ASSERT_NE(asStored[0xB2], 0x96) << "the enciphered header must not pass for a valid one";

    EXPECT_THAT(ScanRows(m_dir.Path()),
                ElementsAre(ZeroRow("deflated.zip", "deflated.gba", plainImage.size(), crc),
                            ScannedRow{"stored.gba", "stored.zip", "stored.gba", plainImage.size(),
                                       crc, FlagsOf(asStored), false, ""}));
}

TEST_F(HostileScanTest, TenGiBZipBombIsReportedWholeWithoutBeingInflated) {
    const auto start = Image("BOMB", 512);
    const ZipBombInfo bomb = WriteZipBomb(m_dir / "bomb.zip", "bomb.gba", start, kTenGiB);
    ASSERT_GT(bomb.storedSize, 60'000'000u); // 13 bits per 258 bytes

    EXPECT_THAT(ScanRows(m_dir.Path()),
                ElementsAre(SoundRow("bomb.zip", "bomb.gba", kTenGiB, bomb.crc, "BOMB")));

    // In this process, the same load reads a few kilobytes of the megabytes
    // stored, so no more than the header can have been inflated.
    const auto readBefore = BytesReadByThisProcess();
    if (!readBefore) {
        GTEST_SKIP() << "this system keeps no count of the bytes a process reads";
    }
    CGbaRomLoader loader;
    CartridgeHeader header{};
    ASSERT_EQ(loader.Load(m_dir / "bomb.zip", 0, 512, header), 0);
    const std::uint64_t bytesRead = *BytesReadByThisProcess() - *readBefore;
    EXPECT_LT(bytesRead, 1u << 20);
    EXPECT_EQ(loader.GetSize(), kTenGiB);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), start.begin()));
}

TEST_F(HostileScanTest, SixtyFiveThousandEntriesAreWalkedToTheEnd) {
    // 65,535 entries is the most a plain end record can count; writers record
    // a larger count as 65,535 too, and the directory then runs on past it.
    const auto image = Image("LAST");
    const auto texts = [](std::size_t count) {
        std::vector<ZipItem> items;
        items.reserve(count + 1);
        for (std::size_t i = 0; i < count; ++i) {
            items.push_back(
                {.name = "note" + std::to_string(i) + ".txt", .data = {}, .deflate = false});
        }
        return items;
    };
    WriteZip(m_dir / "texts.zip", texts(65535));
    auto lastOf65535 = texts(65534);
    lastOf65535.push_back({.name = "entry-65535.gba", .data = image, .deflate = false});
    WriteZip(m_dir / "last.zip", lastOf65535);
    auto past = texts(65535);
    past.push_back({.name = "entry-65536.gba", .data = image, .deflate = false});
    WriteZip(m_dir / "past.zip", past);

    EXPECT_THAT(
        ScanRows(m_dir.Path()),
        ElementsAre(SoundRow("last.zip", "entry-65535.gba", kImageSize, Crc32Of(image), "LAST"),
                    SoundRow("past.zip", "entry-65536.gba", kImageSize, Crc32Of(image), "LAST")));
}
