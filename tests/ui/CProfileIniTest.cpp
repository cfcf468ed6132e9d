// The settings file: round trip, other keys kept, damaged files survived.
#include "ui/CProfileIni.h"
#include "romio/CFileSystem.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#ifdef _WIN32
#include "tests/support/CLockedFile.h"
#else
#include <csignal>
#include <fcntl.h>
#include <future>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using testing_support::ReadWholeFile;
using testing_support::TempDir;

namespace {

std::string Text(const std::string& path) {
    const auto bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(ProfileIni, RoundTripWritesTheKeyLiterally) {
    TempDir dir;
    const std::string path = dir / "cfg/quillbey/quillbey.ini";
    CProfileIni profile(path);
    EXPECT_FALSE(profile.Read()); // nothing there yet
    EXPECT_EQ(profile.GetString("Settings", "Last Directory"), std::nullopt);
    profile.SetString("Settings", "Last Directory", "/roms/My Games");
    ASSERT_EQ(profile.Write(), 0); // creates the folders too
    EXPECT_EQ(Text(path), "[Settings]\nLast Directory=/roms/My Games\n");

    CProfileIni again(path);
    ASSERT_TRUE(again.Read());
    EXPECT_EQ(again.GetString("Settings", "Last Directory"), "/roms/My Games");
    EXPECT_EQ(again.GetString("settings", "last directory"), "/roms/My Games");
}

TEST(ProfileIni, ANewKeyGoesAfterItsSectionsLastKey) {
    TempDir dir;
    const std::string path = dir.WriteText("q.ini", "[Window]\nX=10\n\n[Settings]\nA=1\n");
    CProfileIni profile(path);
    ASSERT_TRUE(profile.Read());
    profile.SetString("Window", "Y", "20");
    ASSERT_EQ(profile.Write(), 0);
    EXPECT_EQ(Text(path), "[Window]\nX=10\nY=20\n\n[Settings]\nA=1\n");
}

TEST(ProfileIni, ValuesCannotBreakTheFileIntoLines) {
    TempDir dir;
    CProfileIni profile(dir / "q.ini");
    profile.SetString("Settings", "Last Directory", "/odd\nname");
    ASSERT_EQ(profile.Write(), 0);
    EXPECT_EQ(Text(dir / "q.ini"), "[Settings]\nLast Directory=/odd\n");
}

TEST(ProfileIni, DamagedFilesReadAsNoSettingsAndAreRewrittenClean) {
    TempDir dir;
    std::string binary = "[Settings]\nLast Directory=/x\n";
    binary += std::string("\0\x01\xFF\xFE", 4);
    const std::string big(CProfileIni::kMaxFileSize + 1, 'a');
    const std::pair<std::string, std::string> cases[] = {
        {"binary.ini", binary},
        {"huge.ini", big},
    };
    for (const auto& [name, content] : cases) {
        const std::string path = dir.WriteText(name, content);
        CProfileIni profile(path);
        EXPECT_FALSE(profile.Read()) << name;
        EXPECT_EQ(profile.GetString("Settings", "Last Directory"), std::nullopt) << name;
        profile.SetString("Settings", "Last Directory", "/clean");
        ASSERT_EQ(profile.Write(), 0) << name;
        EXPECT_EQ(Text(path), "[Settings]\nLast Directory=/clean\n") << name;
    }
}

TEST(ProfileIni, TheUsersLinesComeBackByteForByte) {
    TempDir dir;
    // Unknown lines, a comment, CRLF ends, trailing blanks, a second section,
    // blanks around "=", other letter case, and a line cut off at the end.
    const std::string before = "; mine  \r\n[Other]\r\nKey = Value \r\n\r\n"
                               "not a key line\r\n[ settings ]\r\nlast directory = \"/old\" \r\n"
                               "Extra=1\r\n[Oth";
    const std::string path = dir.WriteText("q.ini", before);
    CProfileIni profile(path);
    ASSERT_TRUE(profile.Read());
    EXPECT_EQ(profile.GetString("Settings", "Last Directory"), "/old"); // quotes removed
    EXPECT_EQ(profile.GetString("OTHER", "key"), "Value");
    profile.SetString("Settings", "Last Directory", "/new folder");
    ASSERT_EQ(profile.Write(), 0);
    std::string after = before;
    after.replace(after.find("\"/old\" "), 7, "/new folder");
    EXPECT_EQ(Text(path), after);

    // A key new to the file goes into a new section, with the file's line ends.
    profile.SetString("Window", "X", " 10");
    ASSERT_EQ(profile.Write(), 0);
    EXPECT_EQ(Text(path), after + "\r\n[Window]\r\nX=\" 10\"\r\n");
    CProfileIni again(path);
    ASSERT_TRUE(again.Read());
    EXPECT_EQ(again.GetString("Window", "X"), " 10"); // the quotes keep its blank
}

TEST(ProfileIni, UnreadableOrNonFileSettingsReadAsNone) {
    TempDir dir;
    dir.MakeSubdir("folder.ini");
    CProfileIni folder(dir / "folder.ini");
    EXPECT_FALSE(folder.Read());
    const std::string path = dir.WriteText("locked.ini", "[Settings]\nLast Directory=/x\n");
#ifdef _WIN32
    const testing_support::CLockedFile lock(path); // another program holds it
    CProfileIni locked(path);
    EXPECT_FALSE(locked.Read());
    // Nor can the file be replaced meanwhile: the write fails, says why and
    // leaves no temporary file behind.
    locked.SetString("Settings", "Last Directory", "/new");
    EXPECT_NE(locked.Write(), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
#else
    if (::geteuid() != 0) { // root reads files whatever their mode
        ::chmod(path.c_str(), 0);
        CProfileIni locked(path);
        EXPECT_FALSE(locked.Read());
    }
#endif
}

TEST(ProfileIni, FailedWriteLeavesTheOldFileAndSaysWhy) {
    TempDir dir;
    const std::string folder = dir.MakeSubdir("ro");
    const std::string path = dir.WriteText("ro/q.ini", "[Settings]\nLast Directory=/old\n");
    // A path under a regular file can never be created, whoever runs the test.
    CProfileIni impossible(path + "/sub/q.ini");
    impossible.SetString("Settings", "Last Directory", "/new");
    EXPECT_NE(impossible.Write(), 0);

#ifndef _WIN32
    if (::geteuid() != 0) {
        ::chmod(folder.c_str(), 0555);
        CProfileIni readOnly(path);
        ASSERT_TRUE(readOnly.Read());
        readOnly.SetString("Settings", "Last Directory", "/new");
        EXPECT_NE(readOnly.Write(), 0);
        ::chmod(folder.c_str(), 0755);
    }
#endif
    EXPECT_EQ(Text(path), "[Settings]\nLast Directory=/old\n");
}

#ifndef _WIN32
TEST(ProfileIni, AFullDiskKeepsTheOldFileWhole) {
    TempDir dir;
    const std::string old = "; mine\n[Settings]\nLast Directory=/old\nExtra=1\n";
    const std::string path = dir.WriteText("q.ini", old);
    CProfileIni profile(path);
    ASSERT_TRUE(profile.Read());
    profile.SetString("Settings", "Last Directory", "/a/much/longer/folder/than/before");
    // Room for a few bytes only: the new file cannot be written whole.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = saved;
    tiny.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const int error = profile.Write();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(Text(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(ProfileIni, AFifoOrADeviceInPlaceOfTheFileIsNotReadAndIsReplaced) {
    TempDir dir;
    const std::string fifo = dir / "fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string device = dir / "zero.ini"; // reading it whole would never end
    std::filesystem::create_symlink("/dev/zero", device);
    for (const std::string& path : {fifo, device}) {
        CProfileIni profile(path);
        auto read = std::async(std::launch::async, [&profile] { return profile.Read(); });
        if (read.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            // A hang guard: a writer lets a read blocked on the FIFO go.
            const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
            read.wait();
            ::close(writer);
            FAIL() << path << ": reading blocked";
        }
        EXPECT_FALSE(read.get()) << path;
        profile.SetString("Settings", "Last Directory", "/clean");
        ASSERT_EQ(profile.Write(), 0) << path;
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(path)));
        EXPECT_EQ(Text(path), "[Settings]\nLast Directory=/clean\n") << path;
    }
}
#endif

TEST(ProfileIni, OldWindowsSettingsAreLookedForInTheWindowsFolderOnly) {
    const std::string legacy = CFileSystem::LegacySettingsPath();
#ifdef _WIN32
    ASSERT_TRUE(legacy.ends_with("\\quillbey.ini")) << legacy;
    EXPECT_TRUE(CFileSystem::IsFolder(legacy.substr(0, legacy.size() - 13))) << legacy;
#else
    EXPECT_EQ(legacy, "");
#endif
}

#ifndef _WIN32 // links and FIFOs are made with POSIX calls
TEST(ProfileIni, WritingThroughALinkKeepsTheLink) {
    TempDir dir;
    const std::string real = dir.WriteText("real.ini", "[Settings]\nLast Directory=/old\n");
    dir.MakeSubdir("cfg");
    ASSERT_EQ(::symlink("../real.ini", (dir / "cfg/q.ini").c_str()), 0);
    CProfileIni profile(dir / "cfg/q.ini");
    ASSERT_TRUE(profile.Read());
    profile.SetString("Settings", "Last Directory", "/new");
    ASSERT_EQ(profile.Write(), 0);
    struct stat info {};
    ASSERT_EQ(::lstat((dir / "cfg/q.ini").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(Text(real), "[Settings]\nLast Directory=/new\n");
}

TEST(ProfileIni, LinkToSomethingElseIsReplacedNotFollowed) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    ASSERT_EQ(::symlink((dir / "pipe").c_str(), (dir / "q.ini").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "nothing").c_str(), (dir / "dangling.ini").c_str()), 0);
    for (const std::string name : {"q.ini", "dangling.ini"}) {
        CProfileIni profile(dir / name);
        EXPECT_FALSE(profile.Read()) << name; // and it does not block on the FIFO
        profile.SetString("Settings", "Last Directory", "/x");
        ASSERT_EQ(profile.Write(), 0) << name;
        struct stat info {};
        ASSERT_EQ(::lstat((dir / name).c_str(), &info), 0);
        EXPECT_TRUE(S_ISREG(info.st_mode)) << name;
    }
    struct stat pipe {};
    ASSERT_EQ(::lstat((dir / "pipe").c_str(), &pipe), 0);
    EXPECT_TRUE(S_ISFIFO(pipe.st_mode));
    EXPECT_FALSE(std::filesystem::exists(dir / "nothing"));
}
#endif

TEST(ProfileIni, QuotedValuesReadWithoutTheirQuotes) {
    TempDir dir;
    const std::pair<std::string, std::string> cases[] = {
        {"Last Directory=\"\"", ""},
        {"Last Directory = \" /padded \" ", " /padded "},
        {"Last Directory=\"", "\""}, // a lone quote is the value itself
        {"Last Directory=plain", "plain"},
    };
    for (const auto& [line, value] : cases) {
        CProfileIni profile(dir.WriteText("q.ini", "[Settings]\n" + line + "\n"));
        ASSERT_TRUE(profile.Read()) << line;
        EXPECT_EQ(profile.GetString("Settings", "Last Directory"), value) << line;
    }
}
