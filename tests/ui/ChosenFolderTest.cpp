// A chosen folder as the scan takes it and as the folder field goes on to
// show it: without its trailing separator, but a root still shows as one.
#include "ui/ChosenFolder.h"

#include <gtest/gtest.h>

TEST(ChosenFolder, TheScanGetsNoTrailingSeparatorAndTheFieldStillShowsARoot) {
    struct Case {
        const char* chosen;
        const char* scan;
        const char* shown;
    };
#ifdef _WIN32
    // A drive root is scanned as "C:", but "C:" alone names the drive's current
    // folder: the field, and so the stored folder, keep "C:\".
    const Case cases[] = {
        {"C:\\", "C:", "C:\\"},
        {"d:/", "d:", "d:/"},
        {"C:\\roms\\", "C:\\roms", "C:\\roms"},
        {"C:\\roms", "C:\\roms", "C:\\roms"},
    };
#else
    const Case cases[] = {
        {"/", "", "/"},
        {"/roms/", "/roms", "/roms"},
        {"/roms", "/roms", "/roms"},
    };
#endif
    for (const Case& c : cases) {
        const ChosenFolder folder = SplitChosenFolder(c.chosen);
        EXPECT_EQ(folder.scan, c.scan) << c.chosen;
        EXPECT_EQ(folder.shown, c.shown) << c.chosen;
    }
}
