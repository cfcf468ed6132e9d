// Rows, their report records, count and end-of-scan notice for the command line.
#include "CCliScanTarget.h"

#include <algorithm>

namespace {
// Room for an entry's record, so that it is made without growing.
constexpr std::size_t kRecordCapacity = 512;
} // namespace

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

void CCliScanTarget::EntryLoaded(const CRomEntry& entry) {
    if (m_report.writer == nullptr) {
        return;
    }
    // Formatted on the loading thread, outside the scan's lock; the index
    // is filled in when the report is written.
    FormatScratch scratch;
    scratch.record.reserve(kRecordCapacity);
    m_report.writer->PrepareEntry(ReportedEntry{&entry, 0, m_report.folder}, scratch.record,
                                  scratch);
    const std::lock_guard lock(m_preparedMutex);
    m_prepared.push_back({&entry, m_report.records->Keep(scratch.record)});
}

void CCliScanTarget::EntryAdded(const CRomEntry& entry) {
    const std::lock_guard lock(m_preparedMutex);
    const auto prepared = std::find_if(m_prepared.begin(), m_prepared.end(),
                                       [&](const Prepared& p) { return p.entry == &entry; });
    if (prepared == m_prepared.end() || m_rows.empty()) {
        return;
    }
    m_rows.back().ready = prepared->record;
    *prepared = m_prepared.back();
    m_prepared.pop_back();
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
