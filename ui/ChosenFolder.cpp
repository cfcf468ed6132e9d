// Dropping the trailing separator of a chosen folder.
#include "ChosenFolder.h"

#include "romio/CFileSystem.h"

ChosenFolder SplitChosenFolder(const std::string& chosen) {
    ChosenFolder folder{chosen, chosen};
    if (!chosen.empty() && CFileSystem::IsSeparator(chosen.back())) {
        folder.scan.pop_back();
        if (!folder.scan.empty()) {
            folder.shown = folder.scan;
        }
    }
    return folder;
}
