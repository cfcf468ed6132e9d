// The one rule for a folder the user has chosen: a scan gets it without its
// trailing separator, because the scan adds a separator and a name itself
// ("C:\" becomes "C:", "/roms/" becomes "/roms"; the root "/" becomes "",
// which the scan reads as the root). The folder field goes on to show the
// scanned folder, except that a root keeps its separator ("/", "C:\") rather
// than show nothing, or "C:", which Windows reads as the drive's current
// folder. Both dialogs and the command line follow it.
#pragma once

#include <string>

struct ChosenFolder {
    std::string scan;  // what the scan is given
    std::string shown; // what the folder field shows once the scan has started
};

ChosenFolder SplitChosenFolder(const std::string& chosen);
