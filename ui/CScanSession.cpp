// Starting, stopping and following a dialog's scan.
#include "CScanSession.h"

#include "scan/CReadROMs.h"
#include "scan/CRomEntryList.h"

CScanSession::CScanSession() = default;

CScanSession::~CScanSession() {
    Stop();
}

void CScanSession::Start(const std::string& folder) {
    // Never two workers: they would share the entry list and the count.
    Stop();
    // Rows point at their entries' names: the buffer drops its rows first.
    IScanTarget& target = m_rows.StartScan(); // rows and the entry count start at 0
    g_romEntries.RemoveAll();
    m_pReadThread = std::make_unique<CReadROMs>(target, folder, m_options);
    m_pReadThread->CreateThread(); // when it cannot start, it reports done at once
}

void CScanSession::Stop() {
    if (m_pReadThread) {
        m_pReadThread->RequestStop();
        m_rows.StopScan();
        m_pReadThread.reset();
    }
}

CScanSession::Progress CScanSession::TakeProgress() {
    Progress progress;
    if (!m_pReadThread) {
        return progress;
    }
    // Asked before the rows are taken: once done, every row is there to take.
    progress.done = m_rows.IsDone();
    progress.rows = m_rows.TakeRows();
    if (progress.done) {
        m_pReadThread->Join(); // it has posted its last notice; this returns at once
        m_pReadThread.reset();
    }
    return progress;
}
