// A stand-in for the dialog in the scan worker tests: keeps the rows, item
// data, count and end-of-scan calls the worker makes, and checks that it makes
// them in the order that keeps rows and entries in step (row, item data from
// the count before it grows, count, entry appended at that position).
#pragma once

#include "scan/IScanTarget.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class CRecordingScanTarget : public IScanTarget {
public:
    struct Row {
        std::string text;
        std::int32_t itemData = -1;
    };

    int GetRomRowCount() override;
    void InsertRomRow(int row, const std::string& text) override;
    void SetRomRowData(int row, std::int32_t itemData) override;
    std::int32_t GetEntryCount() override;
    void IncrementEntryCount() override;
    void PostScanDone() override;

    // Waits (at most `guard`, against hangs) for the end-of-scan notice.
    bool WaitForDone(std::chrono::seconds guard);
    // From now on, any call is a violation: the scan was stopped.
    void MarkStopped();

    std::vector<Row> GetRows() const;
    std::vector<std::string> GetRowTexts() const;
    std::vector<std::int32_t> GetItemData() const;
    std::int32_t GetCount() const;
    int GetDoneCalls() const;
    // Every broken step of the protocol, described; empty when all was in order.
    std::vector<std::string> GetViolations() const;

private:
    enum class Step { Idle, Counted, Inserted, DataSet };

    void Violation(const std::string& what);
    void CheckNotDone(const char* call);
    void CheckEntriesMatchRows();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Row> m_rows;
    std::int32_t m_nEntryCount = 0;
    int m_nDoneCalls = 0;
    std::vector<std::string> m_violations;

    Step m_step = Step::Idle;
    int m_nCountedRows = -1;
    int m_nInsertedRow = -1;

    bool m_bStopped = false;
};
