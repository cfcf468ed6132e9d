// The recording target's protocol checks. Every call may come from the
// worker's thread while the test's thread waits, so all state is locked.
#include "CRecordingScanTarget.h"

#include "scan/CRomEntryList.h"

int CRecordingScanTarget::GetRomRowCount() {
    const std::lock_guard lock(m_mutex);
    CheckNotDone("GetRomRowCount");
    if (m_step != Step::Idle && m_step != Step::Counted) {
        Violation("row count asked for before the previous row's count was incremented");
    }
    // The previous image's entry must be in the list before the next row starts.
    if (g_romEntries.GetSize() != static_cast<std::size_t>(m_nEntryCount)) {
        Violation("next row started with " + std::to_string(g_romEntries.GetSize()) +
                  " entries for count " + std::to_string(m_nEntryCount));
    }
    m_step = Step::Counted;
    m_nCountedRows = static_cast<int>(m_rows.size());
    return m_nCountedRows;
}

void CRecordingScanTarget::InsertRomRow(int row, const std::string& text) {
    const std::lock_guard lock(m_mutex);
    CheckNotDone("InsertRomRow");
    if (m_step != Step::Counted) {
        Violation("row '" + text + "' inserted without asking for the row count first");
    }
    if (row != m_nCountedRows || row != static_cast<int>(m_rows.size())) {
        Violation("row '" + text + "' inserted at " + std::to_string(row) + ", not at the end");
    }
    m_rows.push_back({text, -1});
    m_nInsertedRow = static_cast<int>(m_rows.size()) - 1;
    m_step = Step::Inserted;
    m_changed.notify_all();
}

void CRecordingScanTarget::SetRomRowData(int row, std::int32_t itemData) {
    const std::lock_guard lock(m_mutex);
    CheckNotDone("SetRomRowData");
    if (m_step != Step::Inserted || row != m_nInsertedRow) {
        Violation("item data " + std::to_string(itemData) + " set on row " + std::to_string(row) +
                  " that was not just inserted");
    }
    if (row < 0 || row >= static_cast<int>(m_rows.size())) {
        Violation("item data set on a row that does not exist");
        return;
    }
    if (itemData != m_nEntryCount) {
        Violation("item data " + std::to_string(itemData) + " is not the running count " +
                  std::to_string(m_nEntryCount));
    }
    // The entry for this row is appended next, so it lands at position itemData.
    if (g_romEntries.GetSize() != static_cast<std::size_t>(itemData)) {
        Violation("item data " + std::to_string(itemData) + " set while the list holds " +
                  std::to_string(g_romEntries.GetSize()) + " entries");
    }
    m_rows[static_cast<std::size_t>(row)].itemData = itemData;
    m_step = Step::DataSet;
}

std::int32_t CRecordingScanTarget::GetEntryCount() {
    const std::lock_guard lock(m_mutex);
    CheckNotDone("GetEntryCount");
    return m_nEntryCount;
}

void CRecordingScanTarget::IncrementEntryCount() {
    const std::lock_guard lock(m_mutex);
    CheckNotDone("IncrementEntryCount");
    if (m_step != Step::DataSet) {
        Violation("count incremented before the row's item data was set");
    }
    ++m_nEntryCount;
    m_step = Step::Idle;
}

void CRecordingScanTarget::PostScanDone() {
    const std::lock_guard lock(m_mutex);
    CheckNotDone("PostScanDone");
    if (m_nDoneCalls > 0) {
        Violation("end of scan posted more than once");
    }
    if (m_step != Step::Idle) {
        Violation("end of scan posted in the middle of adding a row");
    }
    CheckEntriesMatchRows();
    ++m_nDoneCalls;
    m_changed.notify_all();
}

void CRecordingScanTarget::CheckEntriesMatchRows() {
    if (g_romEntries.GetSize() != m_rows.size() ||
        m_rows.size() != static_cast<std::size_t>(m_nEntryCount)) {
        Violation("at the end: " + std::to_string(m_rows.size()) + " rows, " +
                  std::to_string(g_romEntries.GetSize()) + " entries, count " +
                  std::to_string(m_nEntryCount));
    }
    for (const Row& row : m_rows) {
        const CRomEntry* entry = row.itemData >= 0
                                     ? g_romEntries.GetAt(static_cast<std::size_t>(row.itemData))
                                     : nullptr;
        if (entry == nullptr) {
            Violation("row '" + row.text + "' has no entry at item data " +
                      std::to_string(row.itemData));
        } else if (entry->GetDisplayName() != row.text) {
            Violation("row '" + row.text + "' points at the entry of '" + entry->GetDisplayName() +
                      "'");
        }
    }
}

bool CRecordingScanTarget::WaitForDone(std::chrono::seconds guard) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, guard, [this] { return m_nDoneCalls > 0; });
}

void CRecordingScanTarget::MarkStopped() {
    const std::lock_guard lock(m_mutex);
    m_bStopped = true;
}

std::vector<CRecordingScanTarget::Row> CRecordingScanTarget::GetRows() const {
    const std::lock_guard lock(m_mutex);
    return m_rows;
}

std::vector<std::string> CRecordingScanTarget::GetRowTexts() const {
    const std::lock_guard lock(m_mutex);
    std::vector<std::string> texts;
    for (const Row& row : m_rows) {
        texts.push_back(row.text);
    }
    return texts;
}

std::vector<std::int32_t> CRecordingScanTarget::GetItemData() const {
    const std::lock_guard lock(m_mutex);
    std::vector<std::int32_t> data;
    for (const Row& row : m_rows) {
        data.push_back(row.itemData);
    }
    return data;
}

std::int32_t CRecordingScanTarget::GetCount() const {
    const std::lock_guard lock(m_mutex);
    return m_nEntryCount;
}

int CRecordingScanTarget::GetDoneCalls() const {
    const std::lock_guard lock(m_mutex);
    return m_nDoneCalls;
}

std::vector<std::string> CRecordingScanTarget::GetViolations() const {
    const std::lock_guard lock(m_mutex);
    return m_violations;
}

void CRecordingScanTarget::Violation(const std::string& what) {
    m_violations.push_back(what);
}

void CRecordingScanTarget::CheckNotDone(const char* call) {
    if (m_nDoneCalls > 0) {
        Violation(std::string(call) + " called after the end of the scan was posted");
    }
    if (m_bStopped) {
        Violation(std::string(call) + " called after the scan was stopped");
    }
}
