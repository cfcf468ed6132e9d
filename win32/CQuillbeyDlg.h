// The main dialog on Windows (template 102): the folder field and browse
// button, the ROM list, the ROM Info panel and the two link labels. It draws
// what its CQuillbeyDlgCore decides and forwards the user's events to it;
// the list is virtual and asks the core for the text of the rows it shows.
#pragma once

#include "CDialog.h"
#include "CLinkLabel.h"
#include "CRomListView.h"
#include "ui/CQuillbeyDlgCore.h"
#include "ui/IQuillbeyDlgView.h"

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class CQuillbeyDlg : public CDialog, private IQuillbeyDlgView {
public:
    // Asks the user for a folder (UTF-8); nullopt when cancelled.
    using FolderPicker = std::function<std::optional<std::string>(HWND owner)>;

    // `start`: a folder and a DAT to take at start instead of the stored ones.
    explicit CQuillbeyDlg(QuillbeyStart start = {});
    ~CQuillbeyDlg() override;

    // Where the folder setting is kept, and the older file read while that
    // one has none ("" for none). Before Create or DoModal.
    void SetSettingsFiles(std::string path, std::string legacyPath);
    void SetFolderPicker(FolderPicker picker) { m_pickFolder = std::move(picker); }
    void SetScanOptions(ScanOptions options) { m_core.SetScanOptions(std::move(options)); }

    // Shows and scans `folder` (UTF-8) as if it had been picked.
    void ChooseFolder(const std::string& folder) { m_core.ChooseFolder(folder); }

    bool IsBusy() const { return m_core.IsBusy(); }
    bool IsChecking() const { return m_core.IsChecking(); }

private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(WORD id, WORD code, HWND control);
    INT_PTR OnNotify(const NMHDR& notice);

    BOOL OnInitDialog();
    bool OnPaint();
    void OnCancel();
    void OnDestroy();
    void OnBrowse();
    void OnDropFiles(HDROP drop);
    HBRUSH OnCtlColor(UINT message, HDC dc, HWND control);
    bool OnSetCursor(HWND window, WORD hitTest);
    void SetBrowseBitmap();

    // IQuillbeyDlgView
    void UpdateData(const QuillbeyDlgTexts& texts) override;
    void ShowRows(RowChange change, int count, const std::vector<int>& newRowOf) override;
    void SetBusy(bool busy) override;
    void SetChecking(bool checking) override;
    void UpdateRowMarks() override;
    void SetLogoErrorTick(bool ticked) override;
    void CopyToClipboard(const std::string& text) override;
    void ShowError(const std::string& caption, const std::string& text) override;

    CQuillbeyDlgCore m_core;
    bool m_bHighlightComplement = false;
    HWND m_btnBrowse = nullptr;
    HWND m_chkLogoError = nullptr;
    CRomListView m_lstRoms;
    CLinkLabel m_lnkMail;
    CLinkLabel m_lnkWeb;
    HICON m_hIcon = nullptr;

    HICON m_hSmallIcon = nullptr;
    HBITMAP m_hBrowseBitmap = nullptr;
    bool m_bBusy = false;
    FolderPicker m_pickFolder;
};
