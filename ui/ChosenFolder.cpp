// Dropping the trailing separator of a chosen folder.
#include "ChosenFolder.h"

#include "romio/CFileSystem.h"

namespace {

// A root once its separator is gone: "" (from "/"), or on Windows a drive
// ("C:" from "C:\"), which Windows reads as that drive's current folder.
bool IsRoot(const std::string& scan) {
    return scan.empty() || (CFileSystem::kSeparator == '\\' && scan.size() == 2 && scan[1] == ':');
}

} // namespace

ChosenFolder SplitChosenFolder(const std::string& chosen) {
    ChosenFolder folder{chosen, chosen};
    if (!chosen.empty() && CFileSystem::IsSeparator(chosen.back())) {
        folder.scan.pop_back();
        if (!IsRoot(folder.scan)) {
            folder.shown = folder.scan;
        }
    }
    return folder;
}
