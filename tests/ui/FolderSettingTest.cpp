// The folder setting: which file it is read from, and what a write keeps.
#include "ui/FolderSetting.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using testing_support::ReadWholeFile;
using testing_support::TempDir;

TEST(FolderSetting, TheOlderFileIsReadOnlyWhileTheUsersFileHasNoFolder) {
    struct Case {
        const char* name;
        const char* user;   // the user's file, nullptr: missing
        const char* legacy; // the older file, nullptr: missing
        StoredFolder expected;
    };
    const Case cases[] = {
        {"user's file wins",
         "[Settings]\nLast Directory=new\n",
         "[Settings]\r\nLast Directory=old\r\n",
         {"new", false}},
        {"no user's file", nullptr, "[SETTINGS]\r\nlast directory=old\r\n", {"old", true}},
        {"user's file without the key",
         "[Settings]\nOther=1\n",
         "[Settings]\nLast Directory=old\n",
         {"old", true}},
        {"an empty folder is a setting",
         "[Settings]\nLast Directory=\n",
         "[Settings]\nLast Directory=old\n",
         {"", false}},
        {"neither file", nullptr, nullptr, {"", false}},
        {"older file without the key", nullptr, "[Settings]\n", {"", false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string user = c.user ? dir.WriteText("user.ini", c.user) : dir / "user.ini";
        const std::string legacy =
            c.legacy ? dir.WriteText("legacy.ini", c.legacy) : dir / "legacy.ini";
        const StoredFolder read = ReadFolderSetting(user, legacy);
        EXPECT_EQ(read.folder, c.expected.folder);
        EXPECT_EQ(read.fromLegacy, c.expected.fromLegacy);
        // Without an older file to look at, only the user's file counts.
        EXPECT_FALSE(ReadFolderSetting(user).fromLegacy);
    }
}

TEST(FolderSetting, AWriteMovesTheFolderIntoTheUsersFileAndKeepsItsOtherLines) {
    TempDir dir;
    const std::string legacy =
        dir.WriteText("legacy.ini", "[Settings]\r\nLast Directory=C:\\old\r\n");
    const std::string user = dir.WriteText("user.ini", "; mine\r\n[Window]\r\nX=1\r\n");
    const StoredFolder stored = ReadFolderSetting(user, legacy);
    ASSERT_EQ(WriteFolderSetting(user, stored.folder), 0);
    const auto bytes = ReadWholeFile(user);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              "; mine\r\n[Window]\r\nX=1\r\n[Settings]\r\nLast Directory=C:\\old\r\n");
    EXPECT_FALSE(ReadFolderSetting(user, legacy).fromLegacy);
}
