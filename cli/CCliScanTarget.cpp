// Rows, count and end-of-scan notice for the command line.
#include "CCliScanTarget.h"

CCliScanTarget::CCliScanTarget(std::string progressLabel, std::int32_t firstEntry)
    : m_nEntryCount(firstEntry), m_strProgressLabel(std::move(progressLabel)) {}

int CCliScanTarget::GetRomRowCount() {
    return static_cast<int>(m_rows.size());
}

void CCliScanTarget::InsertRomRow(int row, const std::string& /*text*/) {
    m_rows.insert(m_rows.begin() + row, Row{-1});
    if (!m_strProgressLabel.empty() && m_progress.IsDue()) {
        m_progress.Show(m_strProgressLabel + ": " + std::to_string(m_rows.size()) + " images");
    }
}

void CCliScanTarget::SetRomRowData(int row, std::int32_t itemData) {
    m_rows.at(static_cast<std::size_t>(row)).itemData = itemData;
}

std::int32_t CCliScanTarget::GetEntryCount() {
    return m_nEntryCount;
}

void CCliScanTarget::IncrementEntryCount() {
    ++m_nEntryCount;
}

void CCliScanTarget::PostScanDone() {
    m_progress.Clear();
    const std::lock_guard lock(m_mutex);
    m_bDone = true;
    ++m_nDoneCount;
    m_doneSignal.notify_all();
}

void CCliScanTarget::WaitForDone() {
    std::unique_lock lock(m_mutex);
    m_doneSignal.wait(lock, [this] { return m_bDone; });
}
