// What the main dialog does, written once for every front end: the folder
// shown and the one stored, choosing a folder and following its scan, the
// sort when the scan ends (off the window's thread), the rows in their
// shown order, the busy state, the focused row's details, the "Logo Error"
// box that a click cannot change, the copied details text, a dropped
// folder, and the folder stored at close. The dialogs implement
// IQuillbeyDlgView and forward their events here; they decide nothing.
//
// Every call comes from the window's thread.
#pragma once

#include "CScanSession.h"
#include "IQuillbeyDlgView.h"
#include "RomDetails.h"
#include "scan/ScanOptions.h"

#include <chrono>
#include <cstdint>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CRomEntry;

class CQuillbeyDlgCore {
public:
    // Where the folder setting is kept, and the older file read while that
    // one holds none ("" for none).
    struct SettingsFiles {
        std::string path;
        std::string legacyPath;
    };

    // `startFolder`: a folder named at start, shown and scanned instead of
    // the stored one.
    CQuillbeyDlgCore(IQuillbeyDlgView& view, SettingsFiles settings,
                     std::optional<std::string> startFolder = std::nullopt);
    // Stops a running scan and waits for a running sort.
    ~CQuillbeyDlgCore();
    CQuillbeyDlgCore(const CQuillbeyDlgCore&) = delete;
    CQuillbeyDlgCore& operator=(const CQuillbeyDlgCore&) = delete;

    void SetScanOptions(ScanOptions options) { m_scan.SetOptions(std::move(options)); }
    // Before OnInitDialog: keeps the folder setting elsewhere (tests).
    void SetSettingsFiles(SettingsFiles settings) { m_settings = std::move(settings); }

    // Events from the window.
    // The window exists: reads the stored folder, shows the empty panel, and
    // scans the start folder, or else the stored one when it still exists.
    void OnInitDialog();
    // The folder picker's answer; nullopt when the user cancelled.
    void OnBrowse(const std::optional<std::string>& picked);
    // Shows `folder`, empties the list and scans it (stopping a running scan first).
    void ChooseFolder(const std::string& folder);
    // The pump: takes the rows found so far, and ends the scan and the sort.
    void OnTimer();
    // The list's focused row changed (-1: none has the focus).
    void OnItemChangedRomList(int focusedRow);
    void OnLogoErrorClicked();
    // Ctrl+C on the list.
    void OnCopy(int focusedRow);
    // Whether a drop of these paths would be taken: exactly one, a folder.
    bool CanDrop(const std::vector<std::string>& paths) const;
    // Paths dropped on the window: chooses the folder when CanDrop, and
    // says whether it did.
    bool OnDrop(const std::vector<std::string>& paths);
    // The window is closing: stops the scan and stores the folder, showing
    // an error when it cannot be stored. Later calls do nothing.
    void OnDestroy();

    // What the view draws.
    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    // A row's text (its image's display name) in UTF-8; `scratch` holds it
    // when it needs converting. Empty for a row that does not exist.
    std::string_view RowText(int row, std::string& scratch) const;
    // A row's item data (its entry's position in g_romEntries), or -1.
    std::int32_t GetItemData(int row) const;
    bool IsBusy() const { return m_bBusy; }
    const std::string& GetFolder() const { return m_strFolder; }
    const RomDetails& GetDetails() const { return m_details; }

private:
    void UpdateData();
    void SetBusy(bool busy);
    void StopScan();
    void OnScanDone();
    void OnSortDone();
    void ClearDetails();
    const CRomEntry* EntryOfRow(int row) const;
    std::string SaveErrorText(int error) const;

    IQuillbeyDlgView& m_view;
    SettingsFiles m_settings;
    std::optional<std::string> m_startFolder;

    // Members in the order the dialog declares them.
    std::string m_strLastFolder;
    CScanSession m_scan; // the worker last started, and what it found
    bool m_bBusy = false;
    std::string m_strFolder;
    RomDetails m_details; // the panel's nine texts, highlight and tick

    std::vector<CScanRowBuffer::Row> m_rows; // in the order shown
    int m_nRowsShown = 0;                    // of them, the ones the view knows of
    std::chrono::steady_clock::time_point m_lastRowsShown;
    // The rows in sorted order, computed on a thread of its own once a scan ends.
    std::future<std::vector<CScanRowBuffer::Row>> m_sortedRows;
    bool m_bDestroyed = false;
};
