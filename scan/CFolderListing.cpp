// A folder listed ahead for a walk.
#include "CFolderListing.h"

#include "CLoaderPool.h"
#include "romio/CGbaRomLoader.h"

CFolderListing::CFolderListing(std::string folder, bool withSubfolders)
    : m_strFolder(std::move(folder)), m_bWithSubfolders(withSubfolders) {}

std::shared_ptr<CFolderListing> CFolderListing::StartAhead(std::string folder, bool withSubfolders,
                                                           CLoaderPool& pool) {
    auto listing = std::make_shared<CFolderListing>(std::move(folder), withSubfolders);
    // A pool without a thread to spare drops the task; Take() then lists.
    pool.Post([listing] { listing->ListUnlessClaimed(); });
    return listing;
}

void CFolderListing::ListUnlessClaimed() {
    if (m_bClaimed.exchange(true)) {
        return;
    }
    CGbaRomLoader loader;
    m_nError = m_search.List(m_strFolder, loader, m_bWithSubfolders);
    const std::lock_guard lock(m_mutex);
    m_bListed = true;
    m_listed.notify_all();
}

int CFolderListing::Take(CFolderSearch& search) {
    ListUnlessClaimed();
    std::unique_lock lock(m_mutex);
    m_listed.wait(lock, [this] { return m_bListed; });
    search = std::move(m_search);
    return m_nError;
}
