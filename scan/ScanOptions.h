// How a folder scan runs, beyond the folder itself.
#pragma once

#include <functional>
#include <memory>
#include <string>

class CLoaderPool;

struct ScanOptions {
    // How many images are read at once; 0 lets the scan decide.
    int nJobs = 0;
    // Also note the folder's subfolders (not links to folders), for a walk
    // through a whole tree.
    bool bListSubfolders = false;
    // Threads to run the scan on, shared by the scans of a walk; none: the
    // scan starts threads of its own.
    std::shared_ptr<CLoaderPool> pool;
    // Called on the reading thread right before each image is loaded, with
    // its path: a seam for tests that need a load held or slowed.
    std::function<void(const std::string& path)> beforeLoad;
};
