// Starting, stopping and waiting for a folder scan, and the entry it makes
// of each image.
#include "CReadROMs.h"

#include "CLoaderPool.h"
#include "CRomEntry.h"
#include "CScanPipeline.h"
#include "IScanTarget.h"
#include "romio/CFileSystem.h"
#include "romio/CGbaRomLoader.h"
#include "romio/DetachedThread.h"

#include <algorithm>

namespace {
constexpr unsigned kSliceLength = 32;

// Runs `work` on a thread that the pipeline counts, from `pool` or else a new
// one; false when no thread could be had.
template <typename Work>
bool StartCountedThread(const std::shared_ptr<CScanPipeline>& pipeline,
                        const std::shared_ptr<CLoaderPool>& pool, Work work) {
    pipeline->ThreadStarted();
    if (pool) {
        const bool posted = pool->Post([pipeline, work] {
            work();
            pipeline->ThreadEnded();
        });
        if (!posted) {
            pipeline->ThreadEnded();
        }
        return posted;
    }
    // The thread keeps the pipeline alive itself.
    if (StartDetachedThread([pipeline, work] {
            work();
            pipeline->ThreadEnded();
        })) {
        return true;
    }
    pipeline->ThreadEnded();
    return false;
}
} // namespace

CReadROMs::CReadROMs(IScanTarget& dlg, std::string folder, ScanOptions options)
    : m_strFolder(folder), m_pool(options.pool),
      m_pipeline(std::make_shared<CScanPipeline>(dlg, std::move(folder), std::move(options))) {}

CReadROMs::~CReadROMs() {
    RequestStop();
}

bool CReadROMs::CreateThread() {
    const std::shared_ptr<CScanPipeline> pipeline = m_pipeline;
    const std::shared_ptr<CLoaderPool> pool = m_pool;
    if (StartCountedThread(pipeline, pool, [pipeline, pool] { Run(pipeline, pool); })) {
        return true;
    }
    // The owner waits for the end notice; an empty scan gives it.
    pipeline->PostDoneWithoutScan();
    return false;
}

void CReadROMs::RequestStop() {
    m_pipeline->Stop();
}

void CReadROMs::Join() {
    m_pipeline->WaitForThreads();
}

void CReadROMs::OnScanStart() {
    m_pipeline->ThreadStarted();
    Run(m_pipeline, m_pool);
    m_pipeline->ThreadEnded();
    m_pipeline->WaitForThreads();
}

void CReadROMs::Run(const std::shared_ptr<CScanPipeline>& pipeline,
                    const std::shared_ptr<CLoaderPool>& pool) {
    if (!pipeline->List()) {
        return; // stopped while listing
    }
    // The other loads in flight run on helpers (no more than there are
    // candidates); more join when the storage makes loads wait.
    const std::size_t threads =
        std::min(static_cast<std::size_t>(pipeline->GetJobs()), pipeline->GetTotal());
    StartLoaders(pipeline, pool, static_cast<int>(threads) - 1);
    pipeline->Work([pipeline, pool](int count) { StartLoaders(pipeline, pool, count); });
}

void CReadROMs::StartLoaders(const std::shared_ptr<CScanPipeline>& pipeline,
                             const std::shared_ptr<CLoaderPool>& pool, int count) {
    for (int helper = 0; helper < count; ++helper) {
        const bool started = StartCountedThread(pipeline, pool, [pipeline, pool] {
            pipeline->Work([pipeline, pool](int more) { StartLoaders(pipeline, pool, more); });
        });
        if (!started) {
            break; // the threads there are take its share
        }
    }
}

std::vector<std::string> CReadROMs::GetSubfolders() const {
    return m_pipeline->GetSubfolders();
}

int CReadROMs::GetListError() const {
    return m_pipeline->GetListError();
}

std::unique_ptr<CRomEntry> CReadROMs::MakeEntry(const CGbaRomLoader& loader,
                                                const CartridgeHeader& header,
                                                const std::string& path) {
    const std::size_t nameStart = CFileSystem::LastComponentStart(path);
    return MakeEntry(loader, header, std::make_shared<const std::string>(path, 0, nameStart),
                     path.substr(nameStart));
}

std::unique_ptr<CRomEntry> CReadROMs::MakeEntry(const CGbaRomLoader& loader,
                                                const CartridgeHeader& header,
                                                std::shared_ptr<const std::string> folderPrefix,
                                                std::string fileName) {
    auto entry = std::make_unique<CRomEntry>(kSliceLength);
    entry->StoreSlice(header);
    entry->SetFolder(std::move(folderPrefix));
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
