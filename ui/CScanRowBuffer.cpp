// The scan row buffer and the targets it hands to scan workers.
#include "CScanRowBuffer.h"

#include <utility>

// The target of one scan: forwards every call with its scan's number.
class CScanRowBuffer::CScanTarget : public IScanTarget {
public:
    CScanTarget(CScanRowBuffer& buffer, unsigned scan) : m_buffer(buffer), m_nScan(scan) {}

    int GetRomRowCount() override { return m_buffer.GetRomRowCount(m_nScan); }
    void InsertRomRow(int row, const std::string& text) override {
        m_buffer.InsertRomRow(m_nScan, row, text);
    }
    void SetRomRowData(int row, std::int32_t itemData) override {
        m_buffer.SetRomRowData(m_nScan, row, itemData);
    }
    std::int32_t GetEntryCount() override { return m_buffer.GetEntryCount(m_nScan); }
    void IncrementEntryCount() override { m_buffer.IncrementEntryCount(m_nScan); }
    void PostScanDone() override { m_buffer.PostScanDone(m_nScan); }

private:
    CScanRowBuffer& m_buffer;
    const unsigned m_nScan;
};

CScanRowBuffer::CScanRowBuffer() = default;
CScanRowBuffer::~CScanRowBuffer() = default;

IScanTarget& CScanRowBuffer::StartScan() {
    const std::lock_guard lock(m_mutex);
    ++m_nScan;
    m_rows.clear();
    m_nRowCount = 0;
    m_nEntryCount = 0;
    m_bDone = false;
    m_targets.push_back(std::make_unique<CScanTarget>(*this, m_nScan));
    return *m_targets.back();
}

void CScanRowBuffer::StopScan() {
    const std::lock_guard lock(m_mutex);
    ++m_nScan; // no target has this number
    m_rows.clear();
}

std::vector<CScanRowBuffer::Row> CScanRowBuffer::TakeRows() {
    const std::lock_guard lock(m_mutex);
    std::vector<Row> ready;
    // A row whose item data is still to come waits for the next call.
    const bool lastWaits = !m_rows.empty() && m_rows.back().itemData < 0 && !m_bDone;
    if (lastWaits) {
        Row waiting = std::move(m_rows.back());
        m_rows.pop_back();
        ready.swap(m_rows);
        m_rows.push_back(std::move(waiting));
    } else {
        ready.swap(m_rows);
    }
    return ready;
}

bool CScanRowBuffer::IsDone() const {
    const std::lock_guard lock(m_mutex);
    return m_bDone;
}

unsigned CScanRowBuffer::GetScanNumber() const {
    const std::lock_guard lock(m_mutex);
    return m_nScan;
}

int CScanRowBuffer::GetRomRowCount(unsigned scan) {
    const std::lock_guard lock(m_mutex);
    return scan == m_nScan ? m_nRowCount : 0;
}

void CScanRowBuffer::InsertRomRow(unsigned scan, int /*row*/, const std::string& text) {
    const std::lock_guard lock(m_mutex);
    if (scan == m_nScan && !m_bDone) {
        m_rows.push_back({&text, -1});
        ++m_nRowCount;
    }
}

void CScanRowBuffer::SetRomRowData(unsigned scan, int row, std::int32_t itemData) {
    const std::lock_guard lock(m_mutex);
    if (scan != m_nScan || m_bDone) {
        return;
    }
    // Rows are only ever added at the end, so `row` is among the last ones
    // not taken yet, if it is still here.
    const int firstBuffered = m_nRowCount - static_cast<int>(m_rows.size());
    if (row >= firstBuffered && row < m_nRowCount) {
        m_rows[static_cast<std::size_t>(row - firstBuffered)].itemData = itemData;
    }
}

std::int32_t CScanRowBuffer::GetEntryCount(unsigned scan) {
    const std::lock_guard lock(m_mutex);
    return scan == m_nScan ? m_nEntryCount : 0;
}

void CScanRowBuffer::IncrementEntryCount(unsigned scan) {
    const std::lock_guard lock(m_mutex);
    if (scan == m_nScan && !m_bDone) {
        ++m_nEntryCount;
    }
}

void CScanRowBuffer::PostScanDone(unsigned scan) {
    const std::lock_guard lock(m_mutex);
    if (scan == m_nScan) {
        m_bDone = true;
    }
}
