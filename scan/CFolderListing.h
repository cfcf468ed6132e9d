// The listing of one folder for a walk, made ahead on a thread of the walk's
// pool while the folder before it loads, so that listing the next folder does
// not leave the other cores idle. Whoever comes first lists it: the pool's
// thread, or the walk itself when it gets to the folder before that thread
// has started; the walk then waits only for a listing under way.
#pragma once

#include "CFolderSearch.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

class CLoaderPool;

class CFolderListing {
public:
    CFolderListing(std::string folder, bool withSubfolders);

    // A listing of `folder` started on a thread of `pool` (or left to
    // Take() when the pool has no thread for it).
    static std::shared_ptr<CFolderListing> StartAhead(std::string folder, bool withSubfolders,
                                                      CLoaderPool& pool);

    const std::string& GetFolder() const { return m_strFolder; }
    // The folder's listing, made here unless it is made or under way
    // elsewhere; returns 0 or the error code that kept it from being listed.
    // Once only.
    int Take(CFolderSearch& search);

private:
    // Lists the folder unless someone else has claimed it.
    void ListUnlessClaimed();

    const std::string m_strFolder;
    const bool m_bWithSubfolders;
    std::atomic<bool> m_bClaimed = false;
    std::mutex m_mutex; // guards m_bListed; the listing is handed over with it
    std::condition_variable m_listed;
    bool m_bListed = false;
    CFolderSearch m_search;
    int m_nError = 0;
};
