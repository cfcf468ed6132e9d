// Rows, their report records, count and end-of-scan notice for the command line.
#include "CCliScanTarget.h"

CCliScanTarget::CCliScanTarget(std::string progressLabel, std::int32_t firstEntry,
                               ScanReport report)
    : m_nEntryCount(firstEntry), m_strProgressLabel(std::move(progressLabel)), m_report(report) {}

int CCliScanTarget::GetRomRowCount() {
    return static_cast<int>(m_rows.size());
}

void CCliScanTarget::InsertRomRow(int row, const std::string& /*text*/) {
    m_rows.insert(m_rows.begin() + row, Row{});
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

void CCliScanTarget::EntryAdded(const CRomEntry& entry) {
    if (m_report.writer == nullptr || m_rows.empty()) {
        return;
    }
    Row& row = m_rows.back();
    m_record.clear();
    m_report.writer->PrepareEntry(ReportedEntry{&entry, row.itemData, m_report.folder}, m_record,
                                  m_scratch);
    row.ready = m_report.records->Keep(m_record);
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
