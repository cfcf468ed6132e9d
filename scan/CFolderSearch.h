// The candidate files of one folder, for a scan: the names in the folder
// itself whose extension (after the last ".", any case) is one of the loader's,
// grouped in the loader's slot order, each group in a reproducible order.
#pragma once

#include "romio/CFileSystem.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CRomLoader;

class CFolderSearch {
public:
    // How a folder is listed (CFileSystem::ListFolder's contract); tests
    // give a listing that cannot tell the kinds of its entries, as XFS, NFS
    // and some FUSE file systems cannot.
    using Lister = std::function<int(const std::string& folder,
                                     const std::function<void(std::string_view, ListedKind)>&)>;

    explicit CFolderSearch(Lister lister = CFileSystem::ListFolder)
        : m_listFolder(std::move(lister)) {}

    // Lists `folder` once ("" stands for the root), noting its subfolders
    // too when asked. Returns 0, or the system's error code when the folder
    // cannot be read.
    int List(const std::string& folder, const CRomLoader& loader, bool withSubfolders = false);

    // The names found for extension slot `slot`, in scan order.
    const std::vector<std::string>& GetGroup(int slot) const;
    // Hands the name at `index` of group `slot` over to the caller, leaving
    // it empty: a scan moves each name into its entry rather than copy it.
    std::string TakeName(int slot, std::size_t index);
    // True when the listing reported the name's file as a regular file (not
    // a link, a folder, a device or of unknown type).
    bool IsListedRegular(int slot, std::size_t index) const;
    int GetGroupCount() const { return static_cast<int>(m_groups.size()); }
    // Frees the groups once every name has been taken (a folder of 100,000
    // images keeps as many emptied strings); the subfolders stay.
    void ReleaseGroups();
    std::size_t GetTotal() const;
    // The subfolders found (folders, not links to them), in name order.
    const std::vector<std::string>& GetSubfolders() const { return m_subfolders; }

private:
    Lister m_listFolder;
    std::vector<std::vector<std::string>> m_groups;
    std::vector<std::string> m_subfolders;
    std::vector<std::vector<bool>> m_listedRegular; // alongside m_groups
};
