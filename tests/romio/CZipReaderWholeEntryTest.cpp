// Reading one archive entry whole, as the DAT reader does: which entry is
// chosen, and every way the read is refused.
#include "romio/CZipReader.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"

#include <gtest/gtest.h>

#include <array>
#include <string_view>

using namespace testing_support;
using Failure = CZipReader::WholeEntryFailure;

namespace {

constexpr std::array<std::string_view, 2> kDatExtensions{"dat", "xml"};

CZipReader::WholeEntry ReadDat(const std::string& path, std::size_t maxSize = 1000) {
    return CZipReader::ReadFirstEntryWithExtension(path, kDatExtensions, maxSize);
}

} // namespace

TEST(ZipWholeEntry, ReadsTheFirstEntryWithAnExtensionAskedFor) {
    TempDir dir;
    for (const bool deflate : {false, true}) {
        const std::string path = dir / "set.zip";
        WriteZip(path,
                 {{"readme.txt", TextBytes("not this")},
                  {"dats.xml/", {}},
                  {.name = "sub/Set.XmL", .data = TextBytes("<datafile/>"), .deflate = deflate},
                  {"second.dat", TextBytes("nor this")}});
        const auto entry = ReadDat(path);
        EXPECT_EQ(entry.failure, Failure::None) << deflate;
        EXPECT_EQ(entry.name, "sub/Set.XmL");
        EXPECT_EQ(entry.size, 11u);
        EXPECT_EQ(entry.bytes, "<datafile/>");
    }
}

TEST(ZipWholeEntry, RefusesWhatItCannotDeliverWhole) {
    TempDir dir;
    const std::string tooLarge = dir / "large.zip";
    WriteZip(tooLarge, {{"big.dat", std::vector<std::uint8_t>(1001, 'x')}});
    const std::string atLimit = dir / "limit.zip";
    WriteZip(atLimit, {{"big.dat", std::vector<std::uint8_t>(1000, 'x')}});
    const std::string damaged = dir / "damaged.zip";
    WriteZip(damaged, {{.name = "a.dat",
                        .data = TextBytes("clrmamepro ( )"),
                        .overrideCrc = true,
                        .crc = 0x1234}});
    const std::string noDat = dir / "nodat.zip";
    WriteZip(noDat, {{"a.gba", TextBytes("x")}, {"dat", TextBytes("x")}});
    const std::string empty = dir / "empty.zip";
    WriteZip(empty, {});
    const struct {
        std::string path;
        Failure failure;
        std::string name;
    } cases[] = {
        {atLimit, Failure::None, "big.dat"},
        {tooLarge, Failure::TooLarge, "big.dat"},
        {damaged, Failure::Damaged, "a.dat"},
        {noDat, Failure::NoEntry, ""},
        {empty, Failure::NotZip, ""}, // minizip opens no archive without entries
        {dir.WriteText("plain.zip", "clrmamepro ( )"), Failure::NotZip, ""},
        {dir / "missing.zip", Failure::Unopened, ""},
        {dir.MakeSubdir("folder.zip"), Failure::Unopened, ""},
    };
    for (const auto& c : cases) {
        const auto entry = ReadDat(c.path);
        EXPECT_EQ(entry.failure, c.failure) << c.path;
        EXPECT_EQ(entry.name, c.name) << c.path;
        EXPECT_EQ(entry.bytes.size(), c.failure == Failure::None ? 1000u : 0u) << c.path;
    }
    EXPECT_EQ(ReadDat(tooLarge).size, 1001u);
    EXPECT_EQ(ReadDat(dir / "missing.zip").fileError.failure, FileFailure::NotFound);
}
