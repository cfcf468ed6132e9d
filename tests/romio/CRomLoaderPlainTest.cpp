// The loader on plain files and on things that only look like them.
#include "romio/CGbaRomLoader.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using namespace testing_support;

namespace {

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
    }
    return bytes;
}

// A header-sized buffer pre-filled with a marker, to see what a load writes.
CartridgeHeader Marked() {
    CartridgeHeader buffer;
    buffer.fill(0xCC);
    return buffer;
}

} // namespace

TEST(GetExtension, UpperCasesTheTextAfterTheLastDot) {
    EXPECT_EQ(CRomLoader::GetExtension("game.gba"), "GBA");
    EXPECT_EQ(CRomLoader::GetExtension("GAME.Gba"), "GBA");
    EXPECT_EQ(CRomLoader::GetExtension("pack.tar.ZiP"), "ZIP");
    EXPECT_EQ(CRomLoader::GetExtension("noext"), "");
    EXPECT_EQ(CRomLoader::GetExtension("ends."), "");
    EXPECT_EQ(CRomLoader::GetExtension("dir.v2/readme"), "V2/README");
    EXPECT_EQ(CRomLoader::GetExtension(".gba"), "GBA");
}

TEST(GbaLoader, AcceptsBinGbaAgbAndZipInSlotOrder) {
    const CGbaRomLoader loader;
    ASSERT_EQ(loader.GetExtensionCount(), 4);
    EXPECT_EQ(loader.GetExtensionAt(0), "BIN");
    EXPECT_EQ(loader.GetExtensionAt(1), "GBA");
    EXPECT_EQ(loader.GetExtensionAt(2), "AGB");
    EXPECT_EQ(loader.GetExtensionAt(3), "ZIP");
    // The decoders are members of the loader too.
    EXPECT_TRUE(loader.CheckLogo(BuildHeader()));
}

TEST(PlainLoad, ReadsAnyNonZipNameAsAPlainFile) {
    TempDir dir;
    const auto image = BuildImage(BuildHeader({.title = "PLAIN"}), 4096);
    for (const std::string name : {"game.gba", "GAME.Gba", "game.bin", "noextension", "x.txt"}) {
        const std::string path = dir.WriteFile(name, image);
        CGbaRomLoader loader;
        CartridgeHeader header = Marked();
        ASSERT_EQ(loader.Load(path, 0, 512, header), 0) << name;
        EXPECT_TRUE(std::equal(header.begin(), header.end(), image.begin())) << name;
        EXPECT_EQ(loader.GetFileName(), name);
        EXPECT_EQ(loader.GetInnerName(), "");
        EXPECT_EQ(loader.GetSize(), 4096u);
        EXPECT_EQ(loader.GetCrc32(), 0u);
    }
}

TEST(PlainLoad, ShortFileLoadsAndTheRestIsZero) {
    TempDir dir;
    const auto bytes = Pattern(100);
    const std::string path = dir.WriteFile("short.gba", bytes);
    CGbaRomLoader loader;
    CartridgeHeader header = Marked();
    ASSERT_EQ(loader.Load(path, 0, 512, header), 0);
    EXPECT_EQ(loader.GetSize(), 100u);
    EXPECT_EQ(loader.GetCrc32(), 0u);
    EXPECT_EQ(loader.GetInnerName(), "");
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), header.begin()));
    EXPECT_TRUE(std::all_of(header.begin() + 100, header.end(), [](auto b) { return b == 0; }));

    const std::string empty = dir.WriteFile("empty.gba", {});
    header = Marked();
    ASSERT_EQ(loader.Load(empty, 0, 512, header), 0);
    EXPECT_EQ(loader.GetSize(), 0u);
    EXPECT_TRUE(std::all_of(header.begin(), header.end(), [](auto b) { return b == 0; }));
}

TEST(PlainLoad, FailureLeavesBufferAndRecordUntouched) {
    TempDir dir;
    const std::string good = dir.WriteFile("good.gba", Pattern(600));
    CGbaRomLoader loader;
    CartridgeHeader header{};
    ASSERT_EQ(loader.Load(good, 0, 512, header), 0);

    dir.MakeSubdir("folder.gba");
    std::vector<std::string> names = {"missing.gba", "folder.gba"};
#ifdef _WIN32
    dir.WriteText("CON.gba", "a file Windows would take for the console");
    names.push_back("CON.gba");
#else
    ASSERT_EQ(::mkfifo((dir / "pipe.gba").c_str(), 0600), 0);
    ASSERT_EQ(::symlink((dir / "nowhere.gba").c_str(), (dir / "dangling.gba").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "loop.gba").c_str(), (dir / "loop.gba").c_str()), 0);
    ASSERT_EQ(::symlink("/dev/zero", (dir / "zero.gba").c_str()), 0);
    names.insert(names.end(), {"pipe.gba", "dangling.gba", "loop.gba", "zero.gba"});
#endif

    // A FIFO with no writer must neither block nor give a row of zero bytes.
    for (const std::string& name : names) {
        CartridgeHeader untouched = Marked();
        EXPECT_EQ(loader.Load(dir / name, 0, 512, untouched), -1) << name;
        EXPECT_TRUE(std::all_of(untouched.begin(), untouched.end(), [](auto b) {
            return b == 0xCC;
        })) << name;
        EXPECT_EQ(loader.GetFileName(), "good.gba") << name;
        EXPECT_EQ(loader.GetSize(), 600u) << name;
    }
}

#ifndef _WIN32 // sockets and symbolic links are made with POSIX calls
TEST(PlainLoad, SocketIsRefused) {
    TempDir dir;
    const std::string path = dir / "sock.gba";
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::copy(path.begin(), path.end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    CGbaRomLoader loader;
    CartridgeHeader header{};
    EXPECT_EQ(loader.Load(path, 0, 512, header), -1);
    ::close(fd);
}

TEST(PlainLoad, SymlinkToAnImageLoadsUnderTheLinkName) {
    TempDir dir;
    const std::string target = dir.WriteFile("real.bin", Pattern(700));
    ASSERT_EQ(::symlink(target.c_str(), (dir / "link.gba").c_str()), 0);
    CGbaRomLoader loader;
    CartridgeHeader header{};
    ASSERT_EQ(loader.Load(dir / "link.gba", 0, 512, header), 0);
    EXPECT_EQ(loader.GetFileName(), "link.gba");
    EXPECT_EQ(loader.GetSize(), 700u);
}
#endif

TEST(PlainLoad, SizeOver4GiBIsNotWrapped) {
    TempDir dir;
    const std::string path = dir.WriteFile("disc.bin", {});
    std::error_code error;
    std::filesystem::resize_file(NativePath(path), std::uint64_t{5} << 30, error);
    if (error) {
        GTEST_SKIP() << "file system cannot hold a sparse 5 GiB file";
    }
    CGbaRomLoader loader;
    CartridgeHeader header = Marked();
    ASSERT_EQ(loader.Load(path, 0, 512, header), 0);
    EXPECT_EQ(loader.GetSize(), std::uint64_t{5} << 30);
    EXPECT_TRUE(std::all_of(header.begin(), header.end(), [](auto b) { return b == 0; }));
}

TEST(PlainLoad, OffsetsAndLengths) {
    TempDir dir;
    const auto bytes = Pattern(1000);
    const std::string path = dir.WriteFile("img.gba", bytes);
    CGbaRomLoader loader;

    std::vector<std::uint8_t> buffer(16, 0xCC);
    ASSERT_EQ(loader.Load(path, 990, 16, buffer), 0); // runs past the end: zero-filled
    EXPECT_TRUE(std::equal(bytes.begin() + 990, bytes.end(), buffer.begin()));
    EXPECT_TRUE(std::all_of(buffer.begin() + 10, buffer.end(), [](auto b) { return b == 0; }));

    buffer.assign(16, 0xCC);
    ASSERT_EQ(loader.Load(path, 5000, 16, buffer), 0); // wholly past the end
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](auto b) { return b == 0; }));

    std::vector<std::uint8_t> rest(1000, 0xCC);
    ASSERT_EQ(loader.Load(path, 600, 0, rest), 0); // length 0: to the end of the image
    EXPECT_TRUE(std::equal(bytes.begin() + 600, bytes.end(), rest.begin()));
    EXPECT_TRUE(std::all_of(rest.begin() + 400, rest.end(), [](auto b) { return b == 0xCC; }));

    rest.assign(1000, 0xCC);
    ASSERT_EQ(loader.Load(path, 2000, 0, rest), 0); // nothing after the offset: nothing written
    EXPECT_TRUE(std::all_of(rest.begin(), rest.end(), [](auto b) { return b == 0xCC; }));

    std::vector<std::uint8_t> small(8, 0xCC);
    EXPECT_EQ(loader.Load(path, 0, 0, small), -1); // the buffer cannot hold the image
    EXPECT_EQ(loader.Load(path, 0, 9, small), -1);
    EXPECT_TRUE(std::all_of(small.begin(), small.end(), [](auto b) { return b == 0xCC; }));
}
