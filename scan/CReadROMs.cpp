// The scan itself, in the order that keeps each row's item data equal to its
// entry's position: row, item data, count, entry, append.
#include "CReadROMs.h"

#include "CFolderSearch.h"
#include "CRomEntry.h"
#include "CRomEntryList.h"
#include "IScanTarget.h"
#include "romio/CFileSystem.h"
#include "romio/CGbaRomLoader.h"

#include <system_error>

namespace {
constexpr std::uint32_t kHeaderBytes = 512;
constexpr unsigned kSliceLength = 32;
} // namespace

CReadROMs::CReadROMs(IScanTarget& dlg, std::string folder, ScanOptions options)
    : m_pDlg(&dlg), m_strFolder(std::move(folder)), m_options(std::move(options)) {}

CReadROMs::~CReadROMs() {
    RequestStop();
    Join();
}

bool CReadROMs::CreateThread() {
    try {
        m_thread = std::thread(&CReadROMs::OnScanStart, this);
        return true;
    } catch (const std::system_error&) {
        m_pDlg->PostScanDone();
        return false;
    }
}

void CReadROMs::Join() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

std::unique_ptr<CRomEntry> CReadROMs::MakeEntry(const CGbaRomLoader& loader,
                                                const CartridgeHeader& header, std::string path,
                                                std::string fileName) {
    auto entry = std::make_unique<CRomEntry>(kSliceLength);
    entry->StoreSlice(header);
    entry->m_strPath = std::move(path);
    entry->m_strFileName = std::move(fileName);
    entry->m_strInnerName = loader.GetInnerName();
    entry->m_dwSize = loader.GetSize();
    entry->m_dwFlags = 0;
    if (!loader.CheckLogo(header)) {
        entry->m_dwFlags |= ROMF_LOGO_ERROR;
    }
    // Only the low 8 bits of each take part.
    if (loader.CalcComplement(header) != loader.GetComplement(header)) {
        entry->m_dwFlags |= ROMF_COMPLEMENT_ERROR;
    }
    entry->m_dwCrc32 = loader.GetCrc32();
    return entry;
}

void CReadROMs::OnScanStart() {
    CGbaRomLoader loader;
    CartridgeHeader header{};
    CFolderSearch search;
    m_nListError = search.List(m_strFolder, loader);

    // One path buffer for the whole scan: the folder part stays, the name changes.
    std::string path = m_strFolder + CFileSystem::kSeparator;
    const std::size_t folderLength = path.size();
    for (int slot = 0; slot < search.GetGroupCount(); ++slot) {
        const std::vector<std::string>& names = search.GetGroup(slot);
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (m_bStop.load(std::memory_order_relaxed)) {
                break;
            }
            const std::string& fileName = names[i];
            path.resize(folderLength);
            path += fileName;
            if (m_options.beforeLoad) {
                m_options.beforeLoad(path);
            }
            // A name listed as a regular file is opened with a system call less.
            const int loaded = search.IsListedRegular(slot, i)
                                   ? loader.LoadListedFile(path, 0, kHeaderBytes, header)
                                   : loader.Load(path, 0, kHeaderBytes, header);
            if (loaded == -1) {
                continue; // unreadable: no row, no entry, nothing reported
            }
            const int row = m_pDlg->GetRomRowCount();
            const std::string& innerName = loader.GetInnerName();
            m_pDlg->InsertRomRow(row, innerName.empty() ? fileName : innerName);
            m_pDlg->SetRomRowData(row, m_pDlg->GetEntryCount());
            m_pDlg->IncrementEntryCount();

            // A copy rather than the listing's string: made now, it lies next to
            // the entry in memory, which the sort at the end of the scan and the
            // output walk through; the listing's names are scattered.
            g_romEntries.Append(MakeEntry(loader, header, path, fileName));
        }
    }
    m_pDlg->PostScanDone();
}
