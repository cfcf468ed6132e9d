// The main dialog on Windows (template 102): the folder field and browse
// button, the ROM list, the ROM Info panel and the two link labels. It shows
// what the window-free code computes: rows come from the scan worker through
// a CScanSession, taken on a timer and sorted by CompareRomRows when the scan
// ends; the panel's texts come from ComputeRomDetails, the folder
// setting from FolderSetting.
#pragma once

#include "CLinkLabel.h"
#include "ui/CScanSession.h"
#include "ui/RomDetails.h"
#include "scan/ScanOptions.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class CQuillbeyDlg {
public:
    // Asks the user for a folder (UTF-8); nullopt when cancelled.
    using FolderPicker = std::function<std::optional<std::string>(HWND owner)>;

    // `startFolder`: a folder to show and scan at start instead of the stored one.
    explicit CQuillbeyDlg(std::optional<std::string> startFolder = std::nullopt);
    ~CQuillbeyDlg();
    CQuillbeyDlg(const CQuillbeyDlg&) = delete;
    CQuillbeyDlg& operator=(const CQuillbeyDlg&) = delete;

    // Runs the dialog until the user closes it.
    INT_PTR DoModal(HWND owner = nullptr);
    // Creates the dialog and returns at once; the caller's message loop passes
    // the messages through IsDialogMessage (tests). nullptr on failure.
    HWND Create(HWND owner = nullptr);

    // Where the folder setting is kept, and the older file read while that
    // one has none ("" for none). Before Create or DoModal.
    void SetSettingsFiles(std::string path, std::string legacyPath);
    void SetFolderPicker(FolderPicker picker) { m_pickFolder = std::move(picker); }
    void SetScanOptions(ScanOptions options) { m_scan.SetOptions(std::move(options)); }

    // Shows and scans `folder` (UTF-8) as if it had been picked.
    void ChooseFolder(const std::string& folder);

    HWND GetSafeHwnd() const { return m_hWnd; }
    bool IsBusy() const { return m_bBusy; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnCommand(WORD id, WORD code, HWND control);
    INT_PTR SetResult(LRESULT result);

    BOOL OnInitDialog();
    bool OnPaint();
    void OnOK();
    void OnCancel();
    void OnDestroy();
    void OnBrowse();
    void OnFlushTimer();
    void OnScanDone();
    void OnItemChangedRomList();
    void OnLogoErrorClicked();
    HBRUSH OnCtlColor(UINT message, HDC dc, HWND control);
    bool OnSetCursor(HWND window, WORD hitTest);

    void ShowFieldLabels();
    void SetBrowseBitmap();
    void ClearDetails();
    void UpdateData(bool saveAndValidate);
    void AppendRows(const std::vector<CScanRowBuffer::Row>& rows);
    void StopScan();
    void SetBusy(bool busy);
    void SetCheck(int state);

    // Members in the order the dialog declares them.
    std::string m_strLastFolder;
    CScanSession m_scan; // the worker last started, and what it found
    bool m_bBusy = false;
    HWND m_btnBrowse = nullptr;
    HWND m_chkLogoError = nullptr;
    HWND m_lstRoms = nullptr;
    std::string m_strFolder;
    RomDetails m_details; // the panel's nine texts, highlight and tick
    CLinkLabel m_lnkMail;
    CLinkLabel m_lnkWeb;
    HICON m_hIcon = nullptr;

    HICON m_hSmallIcon = nullptr;
    HBITMAP m_hBrowseBitmap = nullptr;
    HWND m_hWnd = nullptr;
    bool m_bModal = false;
    FolderPicker m_pickFolder;
    std::optional<std::string> m_startFolder;
    std::string m_strSettingsPath;
    std::string m_strLegacySettingsPath;
};
