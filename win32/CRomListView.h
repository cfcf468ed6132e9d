// The ROM list on Windows: a virtual list view (LVS_OWNERDATA) that asks the
// dialog's core for each row's text as it draws it, and, while a DAT is
// loaded, for each row's mark (a small image list drawn here) and infotip.
#pragma once

#include "ui/IQuillbeyDlgView.h"

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

class CQuillbeyDlgCore;

class CRomListView {
public:
    explicit CRomListView(const CQuillbeyDlgCore& core) : m_core(core) {}
    CRomListView(const CRomListView&) = delete;
    CRomListView& operator=(const CRomListView&) = delete;

    // Binds the list control and gives it its one column.
    void Attach(HWND list);
    HWND GetSafeHwnd() const { return m_hWnd; }
    // The row that has the focus, or -1.
    int FocusedRow() const;

    // IQuillbeyDlgView::ShowRows, for the list.
    void ShowRows(IQuillbeyDlgView::RowChange change, int count, const std::vector<int>& newRowOf);
    // Marks and tips changed; the first time a DAT is loaded, the list gets
    // its images and infotips (without a DAT it has neither).
    void UpdateMarks();

    // LVN_GETDISPINFOW and LVN_GETINFOTIPW from the list.
    void OnGetDispInfo(LVITEMW& item);
    void OnGetInfoTip(NMLVGETINFOTIPW& tip);

private:
    const CQuillbeyDlgCore& m_core;
    HWND m_hWnd = nullptr;
    bool m_bMarksShown = false;
    std::wstring m_strRowText; // the text handed to the list for the row it asked for
};
