// What the main dialog does, written once for every front end: the folder
// shown and the one stored, choosing a folder and following its scan, the
// sort when the scan ends (off the window's thread), the rows in their
// shown order, the busy state, the focused row's details, the "Logo Error"
// box that a click cannot change, the copied details text, a dropped
// folder or DAT, the check of the images against the loaded DAT with each
// row's mark and tip, and the folder and DAT stored at close. The dialogs
// implement IQuillbeyDlgView and forward their events here; they decide
// nothing.
//
// Every call comes from the window's thread.
#pragma once

#include "CScanSession.h"
#include "IQuillbeyDlgView.h"
#include "QuillbeyStart.h"
#include "RomDetails.h"
#include "RowMark.h"
#include "scan/ScanOptions.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CDatSession;
class CRomEntry;
struct EntryCheckOptions;

class CQuillbeyDlgCore {
public:
    // Where the folder setting is kept, and the older file read while that
    // one holds none ("" for none).
    struct SettingsFiles {
        std::string path;
        std::string legacyPath;
    };

    // `start`: a folder and a DAT named at start, taken instead of the
    // stored ones.
    CQuillbeyDlgCore(IQuillbeyDlgView& view, SettingsFiles settings, QuillbeyStart start = {});
    // Stops a running scan and check, and waits for a running sort.
    ~CQuillbeyDlgCore();
    CQuillbeyDlgCore(const CQuillbeyDlgCore&) = delete;
    CQuillbeyDlgCore& operator=(const CQuillbeyDlgCore&) = delete;

    void SetScanOptions(ScanOptions options) { m_scan.SetOptions(std::move(options)); }
    void SetCheckOptions(EntryCheckOptions options);
    // Runs on a DAT's loading thread before it reads (tests hold a load with it).
    void SetBeforeDatLoad(std::function<void()> beforeLoad);
    // Before OnInitDialog: keeps the folder setting elsewhere (tests).
    void SetSettingsFiles(SettingsFiles settings) { m_settings = std::move(settings); }

    // Events from the window.
    // The window exists: reads the stored settings, shows the empty panel,
    // loads the start DAT or else the stored one, and scans the start
    // folder, or else the stored one when it still exists.
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
    // Whether a drop of these paths would be taken: exactly one, a folder or
    // a file (tried as a DAT).
    bool CanDrop(const std::vector<std::string>& paths) const;
    // Paths dropped on the window: chooses the folder, or loads the file as
    // the DAT, when CanDrop; says whether it did either.
    bool OnDrop(const std::vector<std::string>& paths);
    // Starts loading the DAT at `path` off the window's thread; the pump puts
    // it in place of the loaded one and checks the listed images against it.
    // When it cannot be loaded, the pump says why in an error box and nothing
    // changes. Returns true: the file is taken.
    bool LoadDat(const std::string& path);
    // The window is closing: stops the scan and the check and stores the
    // folder and DAT, showing an error when they cannot be stored. Later
    // calls do nothing.
    void OnDestroy();

    // What the view draws.
    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    // A row's text (its image's display name) in UTF-8; `scratch` holds it
    // when it needs converting. Empty for a row that does not exist.
    std::string_view RowText(int row, std::string& scratch) const;
    // A row's item data (its entry's position in g_romEntries), or -1.
    std::int32_t GetItemData(int row) const;
    bool IsBusy() const { return m_bBusy; }
    // A DAT is loading, or the listed images are being checked: the view
    // keeps calling OnTimer.
    bool IsChecking() const { return m_bChecking; }
    bool HasDat() const;
    // A row's mark; None while no DAT is loaded.
    RowMark GetRowMark(int row) const;
    // A row's tooltip in UTF-8: its text, and with a DAT loaded the DAT's
    // result and any header fault on lines of their own.
    std::string RowTip(int row) const;
    const std::string& GetFolder() const { return m_strFolder; }
    const RomDetails& GetDetails() const { return m_details; }

private:
    void UpdateData();
    void SetBusy(bool busy);
    void StopScan();
    void OnScanDone();
    void OnSortDone();
    void StartCheck();
    void StopCheck();
    // The pump's end of LoadDat(): `error` is "" when the DAT is in place.
    void OnDatLoaded(const std::string& error);
    void SetChecking(bool checking);
    // Checking while a DAT loads or the images are checked.
    void UpdateChecking();
    void ClearDetails();
    const CRomEntry* EntryOfRow(int row) const;
    std::string SaveErrorText(int error) const;

    IQuillbeyDlgView& m_view;
    SettingsFiles m_settings;
    QuillbeyStart m_start;

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

    // Held apart so that the dialogs' files need not see the hashing's headers.
    std::unique_ptr<CDatSession> m_dat;
    // The DAT file to store at close: the one last loaded, else the stored one.
    std::optional<std::string> m_strDatFile;
    bool m_bChecking = false;
};
