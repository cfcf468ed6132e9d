// Scanning one folder, or a tree of them, for the command line.
#include "CFolderWalk.h"

#include "CCliScanTarget.h"
#include "romio/CFileSystem.h"
#include "scan/CLoaderPool.h"
#include "scan/CReadROMs.h"
#include "scan/CRomEntryList.h"
#include "ui/ChosenFolder.h"
#include "ui/RomSort.h"
#include "ui/TextConversion.h"

CFolderWalk::CFolderWalk(ScanOptions options, bool recursive, bool showProgress)
    : m_options(std::move(options)), m_bRecursive(recursive), m_bShowProgress(showProgress) {
    m_options.bListSubfolders = recursive;
    // One set of loading threads for every folder of the walk.
    m_options.pool = std::make_shared<CLoaderPool>();
}

int CFolderWalk::ScanOne(const std::string& folder, const std::string& relative,
                         std::vector<std::string>& subfolders) {
    const auto firstEntry = static_cast<std::int32_t>(g_romEntries.GetSize());
    CCliScanTarget target(m_bShowProgress ? "Scanning " + PathToUtf8(folder) : "", firstEntry);
    CReadROMs worker(target, folder, m_options);
    // This thread lists the folder and loads beside the pool's threads: a
    // folder of a few images costs no hand-over to another thread and back.
    worker.OnScanStart();
    target.WaitForDone();
    if (worker.GetListError() != 0) {
        return worker.GetListError();
    }
    auto& rows = target.GetRows();
    SortRomRows(
        rows, [](const CCliScanTarget::Row& row) { return row.itemData; }, g_romEntries);
    const std::string* shownFolder = nullptr;
    if (!relative.empty()) {
        shownFolder = &m_folders.emplace_back(relative);
    }
    // Exactly the room needed for a single folder; room to grow in a walk.
    const std::size_t needed = m_entries.size() + rows.size();
    if (needed > m_entries.capacity()) {
        m_entries.reserve(m_bRecursive ? std::max(needed, m_entries.capacity() * 3 / 2) : needed);
    }
    for (const auto& row : rows) {
        if (const CRomEntry* entry = g_romEntries.GetAt(static_cast<std::size_t>(row.itemData))) {
            m_entries.push_back({entry, row.itemData, shownFolder});
        }
    }
    subfolders = worker.GetSubfolders();
    return 0;
}

bool CFolderWalk::Walk(const std::string& folder, const ErrorReporter& reportError) {
    // Depth first without recursion, so that no tree is too deep: a stack of
    // folders still to scan, each with its path relative to the top.
    struct Pending {
        std::string path;
        std::string relative;
    };
    std::vector<Pending> pending{{SplitChosenFolder(folder).scan, ""}};
    bool top = true;
    while (!pending.empty()) {
        const Pending current = std::move(pending.back());
        pending.pop_back();
        std::vector<std::string> subfolders;
        if (const int error = ScanOne(current.path, current.relative, subfolders); error != 0) {
            reportError(top ? folder : current.path, error);
            if (top) {
                return false;
            }
            ++m_nSkippedFolders;
        }
        top = false;
        if (!m_bRecursive) {
            break;
        }
        // Pushed last to first, so that the first in name order is walked next.
        for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) {
            const std::string relative =
                current.relative.empty() ? *it : current.relative + CFileSystem::kSeparator + *it;
            pending.push_back({current.path + CFileSystem::kSeparator + *it, relative});
        }
    }
    return true;
}
