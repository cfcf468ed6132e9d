// The loader on ZIP archives written by the test.
#include "romio/CGbaRomLoader.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"

#include "romio/CFileSystem.h"
#include "tests/support/SystemErrors.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace testing_support;

namespace {

std::vector<std::uint8_t> ImageNamed(const std::string& title, std::size_t size) {
    return BuildImage(BuildHeader({.title = title}), size);
}

bool AllBytes(const CartridgeHeader& header, std::uint8_t value) {
    return std::all_of(header.begin(), header.end(), [&](auto b) { return b == value; });
}

// A loader that knows only its archive type, so nothing inside an archive counts.
class ZipOnlyLoader : public CRomLoader {
public:
    ZipOnlyLoader() {
        m_strExt[0] = "ZIP";
        m_nExtCount = 1;
    }
};

} // namespace

TEST(ZipLoad, TakesTheFirstAcceptedEntryInDirectoryOrder) {
    TempDir dir;
    const auto b = ImageNamed("DEMO B", 3000);
    const auto c = ImageNamed("SECOND C", 2000);
    const std::string path = dir / "pack.zip";
    WriteZip(path, {{"readme.txt", TextBytes("read me")},
                    {"inner.zip", TextBytes("PK not really")},
                    {"demo/b.agb", b},
                    {"c.gba", c}});
    CGbaRomLoader loader;
    CartridgeHeader header{};
    ASSERT_EQ(loader.Load(path, 0, 512, header), 0);
    EXPECT_EQ(loader.GetFileName(), "pack.zip");
    EXPECT_EQ(loader.GetInnerName(), "demo/b.agb");
    EXPECT_EQ(loader.GetSize(), 3000u);
    EXPECT_EQ(loader.GetCrc32(), Crc32Of(b));
    EXPECT_TRUE(std::equal(header.begin(), header.end(), b.begin()));
}

TEST(ZipLoad, StoredAndDeflatedEntriesReadTheSame) {
    TempDir dir;
    const auto image = ImageNamed("BOTH WAYS", 70000);
    for (const bool deflate : {false, true}) {
        const std::string path = dir / (deflate ? "deflated.ZiP" : "stored.zip");
        WriteZip(path, {{.name = "GAME.GBA", .data = image, .deflate = deflate}});
        CGbaRomLoader loader;
        CartridgeHeader header{};
        ASSERT_EQ(loader.Load(path, 0, 512, header), 0) << deflate;
        EXPECT_TRUE(std::equal(header.begin(), header.end(), image.begin())) << deflate;
        EXPECT_EQ(loader.GetSize(), 70000u);
        EXPECT_EQ(loader.GetCrc32(), Crc32Of(image));
        EXPECT_EQ(loader.GetInnerName(), "GAME.GBA");
    }
}

TEST(ZipLoad, ShortEntryIsZeroFilled) {
    TempDir dir;
    const std::string path = dir / "short.zip";
    WriteZip(path, {{"tiny.bin", TextBytes("tiny")}});
    CGbaRomLoader loader;
    CartridgeHeader header;
    header.fill(0xCC);
    ASSERT_EQ(loader.Load(path, 0, 512, header), 0);
    EXPECT_EQ(loader.GetSize(), 4u);
    EXPECT_EQ(header[0], 't');
    EXPECT_TRUE(std::all_of(header.begin() + 4, header.end(), [](auto b) { return b == 0; }));
}

TEST(ZipLoad, ArchivesWithoutAnImageFail) {
    TempDir dir;
    WriteZip(dir / "text.zip", {{"a.txt", TextBytes("a")}, {"b.zip", TextBytes("b")}});
    WriteZip(dir / "noext.zip", {{"gba", TextBytes("x")}, {"folder.gba/", {}}});
    dir.WriteText("fake.zip", "this is not an archive, even though it is long enough to look");
    dir.WriteFile("zero.zip", {});
    dir.MakeSubdir("folder.zip");

    CGbaRomLoader loader;
    CartridgeHeader first{};
    ASSERT_EQ(loader.Load(dir.WriteFile("ok.gba", ImageNamed("OK", 600)), 0, 512, first), 0);
    for (const std::string name :
         {"text.zip", "noext.zip", "empty.zip", "fake.zip", "zero.zip", "folder.zip", "gone.zip"}) {
        CartridgeHeader header;
        header.fill(0xCC);
        EXPECT_EQ(loader.Load(dir / name, 0, 512, header), -1) << name;
        EXPECT_TRUE(AllBytes(header, 0xCC)) << name;
        EXPECT_EQ(loader.GetFileName(), "ok.gba") << name;
    }
}

TEST(ZipLoad, FolderRecordNamedLikeAnImageIsPassedOver) {
    // The text after the last "." of "roms.gba/" is "GBA/", which is not accepted.
    TempDir dir;
    WriteZip(dir / "dirs.zip", {{"roms.gba/", {}}, {"roms.gba/x.gba", ImageNamed("IN DIR", 600)}});
    CGbaRomLoader loader;
    CartridgeHeader header{};
    ASSERT_EQ(loader.Load(dir / "dirs.zip", 0, 512, header), 0);
    EXPECT_EQ(loader.GetInnerName(), "roms.gba/x.gba");
}

TEST(ZipLoad, CountOneLoaderAcceptsNothingInsideAnArchive) {
    TempDir dir;
    WriteZip(dir / "a.zip", {{"x.zip", TextBytes("x")}, {"y.gba", ImageNamed("Y", 600)}});
    ZipOnlyLoader loader;
    CartridgeHeader header{};
    EXPECT_EQ(loader.Load(dir / "a.zip", 0, 512, header), -1);
    // The same archive is fine for the real loader.
    CGbaRomLoader gba;
    EXPECT_EQ(gba.Load(dir / "a.zip", 0, 512, header), 0);
}

TEST(ZipLoad, EntryNamesLongerThan255BytesAreReadWhole) {
    TempDir dir;
    const std::string longName = std::string(290, 'n') + "/" + std::string(5, 'x') + ".gba";
    WriteZip(dir / "long.zip", {{longName, ImageNamed("LONG", 600)}});
    CGbaRomLoader loader;
    CartridgeHeader header{};
    ASSERT_EQ(loader.Load(dir / "long.zip", 0, 512, header), 0);
    EXPECT_EQ(loader.GetInnerName(), longName);
    EXPECT_EQ(header[0xA0], 'L');

    // A name whose 256th byte onwards carries the extension is judged whole,
    // not on a cut-off prefix.
    const std::string cutAtGba = std::string(252, 'a') + ".gba" + ".txt";
    WriteZip(dir / "cut.zip", {{cutAtGba, ImageNamed("CUT", 600)}});
    EXPECT_EQ(loader.Load(dir / "cut.zip", 0, 512, header), -1);
}

TEST(ZipLoad, RecordsTheDirectoryCrcNotAComputedOne) {
    TempDir dir;
    const auto image = ImageNamed("WRONG CRC", 800);
    WriteZip(
        dir / "crc.zip",
        {{.name = "w.gba", .data = image, .deflate = false, .overrideCrc = true, .crc = 0x1A2B}});
    CGbaRomLoader loader;
    CartridgeHeader header{};
    ASSERT_EQ(loader.Load(dir / "crc.zip", 0, 512, header), 0);
    EXPECT_EQ(loader.GetCrc32(), 0x1A2Bu);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), image.begin()));
}

TEST(ZipLoad, Zip64EntryLoads) {
    TempDir dir;
    const auto image = ImageNamed("ZIP64", 5000);
    WriteZip(dir / "z64.zip", {{.name = "big.agb", .data = image, .zip64 = true}});
    CGbaRomLoader loader;
    CartridgeHeader header{};
    ASSERT_EQ(loader.Load(dir / "z64.zip", 0, 512, header), 0);
    EXPECT_EQ(loader.GetSize(), 5000u);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), image.begin()));
}

TEST(ZipLoad, OffsetsInsideAnEntry) {
    TempDir dir;
    const auto image = ImageNamed("OFFSETS", 10000);
    WriteZip(dir / "o.zip", {{"o.gba", image}});
    CGbaRomLoader loader;

    std::vector<std::uint8_t> part(100, 0xCC);
    ASSERT_EQ(loader.Load(dir / "o.zip", 9000, 100, part), 0);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), image.begin() + 9000));

    part.assign(100, 0xCC);
    ASSERT_EQ(loader.Load(dir / "o.zip", 9950, 100, part), 0); // runs past the end
    EXPECT_TRUE(std::equal(part.begin(), part.begin() + 50, image.begin() + 9950));
    EXPECT_TRUE(std::all_of(part.begin() + 50, part.end(), [](auto b) { return b == 0; }));

    part.assign(100, 0xCC);
    ASSERT_EQ(loader.Load(dir / "o.zip", 20000, 100, part), 0); // offset past the end
    EXPECT_TRUE(std::all_of(part.begin(), part.end(), [](auto b) { return b == 0; }));

    std::vector<std::uint8_t> rest(10000, 0xCC);
    ASSERT_EQ(loader.Load(dir / "o.zip", 20000, 0, rest), 0); // offset larger than the length
    EXPECT_TRUE(std::all_of(rest.begin(), rest.end(), [](auto b) { return b == 0xCC; }));
    ASSERT_EQ(loader.Load(dir / "o.zip", 4000, 0, rest), 0);
    EXPECT_TRUE(std::equal(image.begin() + 4000, image.end(), rest.begin()));
}

TEST(LoadFailure, SaysWhyALoadFailed) {
    TempDir dir;
#ifdef _WIN32
    const std::string device = dir.WriteText("NUL.gba", "Windows reads the name as a device");
#else
    const std::string device = dir / "pipe.gba";
    ASSERT_EQ(::mkfifo(device.c_str(), 0600), 0);
#endif
    WriteZip(dir / "text.zip", {{"readme.txt", TextBytes("no image")}});
    struct Case {
        std::string path;
        LoadFailure failure;
        std::string text;
    };
    const std::string noFile = CFileSystem::ErrorText(kFileNotFound);
    const std::string noPath = CFileSystem::ErrorText(kPathNotFound);
    const Case cases[] = {
        {dir / "missing.gba", LoadFailure::NotFound, noFile},
        {dir / "missing.zip", LoadFailure::NotFound, noFile},
        {dir / "missing/x.gba", LoadFailure::NotFound, noPath},
        {dir.MakeSubdir("folder.gba"), LoadFailure::IsFolder, "is a folder"},
        {dir.MakeSubdir("folder.zip"), LoadFailure::IsFolder, "is a folder"},
        {device, LoadFailure::NotRegularFile, "not a regular file"},
        {dir.WriteText("fake.zip", "not an archive"), LoadFailure::NotZip, "not a ZIP archive"},
        {dir / "text.zip", LoadFailure::NoImageInArchive, "no .bin, .gba or .agb entry in it"},
    };
#ifndef _WIN32
    EXPECT_EQ(noFile, "No such file or directory");
#endif
    CGbaRomLoader loader;
    CartridgeHeader header{};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(loader.Load(c.path, 0, 512, header), -1);
        EXPECT_EQ(loader.GetLastFailure(), c.failure);
        EXPECT_EQ(loader.DescribeLastFailure(), c.text);
    }
    ASSERT_EQ(loader.Load(dir.WriteFile("good.gba", ImageNamed("GOOD", 512)), 0, 512, header), 0);
    EXPECT_EQ(loader.GetLastFailure(), LoadFailure::None);
    EXPECT_EQ(loader.DescribeLastFailure(), "");
}
