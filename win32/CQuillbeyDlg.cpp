// The main dialog on Windows: the dialog procedure, the controls of template
// 102 and the view its core draws through.
#include "CQuillbeyDlg.h"

#include "LegacySettings.h"
#include "ShellServices.h"
#include "WideText.h"
#include "ui/CProfileIni.h"
#include "ui/MakerInfo.h"
#include "ui/RomDetailFields.h"
#include "ui/resource.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

constexpr UINT_PTR kFlushTimerId = 1;
constexpr UINT kFlushIntervalMs = 40;

// Link colours: blue link and hover, purple once visited.
constexpr COLORREF kLinkColour = RGB(0, 0, 238);
constexpr COLORREF kVisitedColour = RGB(128, 0, 128);
constexpr COLORREF kHoverColour = RGB(0, 0, 238);
// The highlighted Complement: red on light grey.
constexpr COLORREF kHighlightText = RGB(255, 0, 0);
constexpr COLORREF kHighlightBack = RGB(192, 192, 192);
// The colour of the browse button's image that stands for the button face.
constexpr COLORREF kBitmapBackground = RGB(0, 128, 128);

HINSTANCE ModuleInstance() {
    return GetModuleHandleW(nullptr);
}

void SetText(HWND dialog, int controlId, std::string_view utf8) {
    SetDlgItemTextW(dialog, controlId, Utf8ToWide(utf8).c_str());
}

} // namespace

CQuillbeyDlg::CQuillbeyDlg(QuillbeyStart start)
    : CDialog(IDD_QUILLBEY_DIALOG),
      m_core(*this, {CProfileIni::DefaultPath(), LegacySettingsFile()}, std::move(start)),
      m_lstRoms(m_core), m_hIcon(LoadIconW(ModuleInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_pickFolder(BrowseForFolder) {
    m_hSmallIcon = static_cast<HICON>(LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                                 IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), 0));
}

CQuillbeyDlg::~CQuillbeyDlg() {
    if (m_hWnd != nullptr) {
        DestroyWindow(m_hWnd); // while this object's handlers are still there
    }
    if (m_hSmallIcon != nullptr) {
        DestroyIcon(m_hSmallIcon);
    }
}

void CQuillbeyDlg::SetSettingsFiles(std::string path, std::string legacyPath) {
    m_core.SetSettingsFiles({std::move(path), std::move(legacyPath)});
}

INT_PTR CQuillbeyDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(m_hIcon);
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(
            OnCtlColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_SETCURSOR:
        return OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam)) ? SetResult(TRUE)
                                                                           : FALSE;
    case WM_TIMER:
        if (wParam == kFlushTimerId) {
            m_core.OnTimer();
        }
        return TRUE;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return TRUE;
    default:
        return FALSE;
    }
}

bool CQuillbeyDlg::OnCommand(WORD id, WORD code, HWND control) {
    switch (id) {
    case IDOK:
        return true; // Enter does nothing; the dialog has no OK button
    case IDCANCEL:
        OnCancel();
        return true;
    case IDC_BROWSE:
        if (code == BN_CLICKED) {
            OnBrowse();
        }
        return true;
    case IDC_LOGOERROR:
        if (code == BN_CLICKED) {
            m_core.OnLogoErrorClicked();
        }
        return true;
    case IDC_WEBLINK:
    case IDC_MAILLINK:
        if (code == STN_CLICKED) {
            (control == m_lnkWeb.GetSafeHwnd() ? m_lnkWeb : m_lnkMail).OnLinkClicked();
        }
        return true;
    default:
        return false;
    }
}

INT_PTR CQuillbeyDlg::OnNotify(const NMHDR& notice) {
    if (notice.idFrom != IDC_ROMLIST) {
        return FALSE;
    }
    switch (notice.code) {
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
        m_core.OnItemChangedRomList(m_lstRoms.FocusedRow());
        return SetResult(0);
    case LVN_GETDISPINFOW:
        m_lstRoms.OnGetDispInfo(
            reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&notice))->item);
        return SetResult(0);
    case LVN_GETINFOTIPW:
        m_lstRoms.OnGetInfoTip(*reinterpret_cast<NMLVGETINFOTIPW*>(const_cast<NMHDR*>(&notice)));
        return SetResult(0);
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN&>(notice).wVKey == 'C' &&
            GetKeyState(VK_CONTROL) < 0) {
            m_core.OnCopy(m_lstRoms.FocusedRow());
        }
        return SetResult(0);
    default:
        return FALSE;
    }
}

BOOL CQuillbeyDlg::OnInitDialog() {
    m_btnBrowse = GetDlgItem(m_hWnd, IDC_BROWSE);
    m_chkLogoError = GetDlgItem(m_hWnd, IDC_LOGOERROR);
    m_lstRoms.Attach(GetDlgItem(m_hWnd, IDC_ROMLIST));
    m_lnkMail.Attach(GetDlgItem(m_hWnd, IDC_MAILLINK));
    m_lnkWeb.Attach(GetDlgItem(m_hWnd, IDC_WEBLINK));
    for (const RomDetailField& field : kRomDetailFields) {
        SetText(m_hWnd, field.nControlId + IDC_LABEL_OFFSET, field.label);
    }
    SetText(m_hWnd, IDC_LOGOERROR, kLogoErrorLabel);

    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(m_hSmallIcon != nullptr ? m_hSmallIcon : m_hIcon));

    m_lnkMail.SetTarget(std::string("mailto:") + MakerInfo::kMailAddress);
    m_lnkMail.SetUnderlined(false);
    m_lnkMail.SetLinkColors(kLinkColour, kVisitedColour, kHoverColour);
    m_lnkWeb.SetLinkColors(kLinkColour, kVisitedColour, kHoverColour);
    SetBrowseBitmap();
    DragAcceptFiles(m_hWnd, TRUE);

    m_core.OnInitDialog();
    return TRUE; // the focus goes to the first tab stop, the browse button
}

void CQuillbeyDlg::SetBrowseBitmap() {
    // Where the image shows RGB(0,128,128), the button face of the moment.
    COLORMAP faceColour{kBitmapBackground, GetSysColor(COLOR_BTNFACE)};
    m_hBrowseBitmap = CreateMappedBitmap(ModuleInstance(), IDB_BROWSE_FOLDER, 0, &faceColour, 1);
    SendMessageW(m_btnBrowse, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_hBrowseBitmap));
}

bool CQuillbeyDlg::OnPaint() {
    if (!IsIconic(m_hWnd)) {
        return false;
    }
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client{};
    GetClientRect(m_hWnd, &client);
    DrawIcon(dc, (client.right - client.left - iconWidth + 1) / 2,
             (client.bottom - client.top - iconHeight + 1) / 2, m_hIcon);
    EndPaint(m_hWnd, &paint);
    return true;
}

void CQuillbeyDlg::OnCancel() {
    m_core.OnDestroy(); // while the window is still there to own an error box
    EndDialog(IDCANCEL);
}

void CQuillbeyDlg::OnDestroy() {
    m_core.OnDestroy();
    KillTimer(m_hWnd, kFlushTimerId);
    if (m_hBrowseBitmap != nullptr) {
        SendMessageW(m_btnBrowse, BM_SETIMAGE, IMAGE_BITMAP, 0);
        DeleteObject(m_hBrowseBitmap);
        m_hBrowseBitmap = nullptr;
    }
}

void CQuillbeyDlg::OnBrowse() {
    m_core.OnBrowse(m_pickFolder(m_hWnd));
}

void CQuillbeyDlg::OnDropFiles(HDROP drop) {
    std::vector<std::string> paths(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0));
    for (UINT i = 0; i < paths.size(); ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0), L'\0');
        DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size() + 1));
        paths[i] = WideToUtf8(path);
    }
    DragFinish(drop);
    m_core.OnDrop(paths);
}

bool CQuillbeyDlg::OnSetCursor(HWND window, WORD hitTest) {
    if (!m_bBusy || window != m_lstRoms.GetSafeHwnd() || hitTest != HTCLIENT) {
        return false;
    }
    SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
    return true;
}

HBRUSH CQuillbeyDlg::OnCtlColor(UINT message, HDC dc, HWND control) {
    // The colours and brush the system gives every control, read-only edits
    // in the face colour; the highlighted Complement changes only its text.
    const auto brush = reinterpret_cast<HBRUSH>(DefWindowProcW(
        m_hWnd, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    if (control == m_lnkWeb.GetSafeHwnd()) {
        return m_lnkWeb.CtlColor(dc, brush);
    }
    if (control == m_lnkMail.GetSafeHwnd()) {
        return m_lnkMail.CtlColor(dc, brush);
    }
    if (GetDlgCtrlID(control) == IDC_COMPLEMENT && m_bHighlightComplement) {
        SetTextColor(dc, kHighlightText);
        SetBkColor(dc, kHighlightBack);
    }
    return brush;
}

void CQuillbeyDlg::UpdateData(const QuillbeyDlgTexts& texts) {
    SetText(m_hWnd, IDC_FOLDER, texts.strFolder);
    for (std::size_t i = 0; i < kRomDetailFields.size(); ++i) {
        SetText(m_hWnd, kRomDetailFields[i].nControlId, texts.values[i]);
    }
    m_bHighlightComplement = texts.bHighlightComplement;
    // Its colours may have changed with the same text.
    InvalidateRect(GetDlgItem(m_hWnd, IDC_COMPLEMENT), nullptr, TRUE);
    SetLogoErrorTick(texts.bLogoError);
}

void CQuillbeyDlg::ShowRows(RowChange change, int count, const std::vector<int>& newRowOf) {
    m_lstRoms.ShowRows(change, count, newRowOf);
}

void CQuillbeyDlg::SetBusy(bool busy) {
    m_bBusy = busy;
    SetChecking(m_core.IsChecking());
    // The pointer over the list changes now, not at the next mouse move.
    const HWND list = m_lstRoms.GetSafeHwnd();
    POINT cursor{};
    if (GetCursorPos(&cursor) && WindowFromPoint(cursor) == list) {
        SendMessageW(list, WM_SETCURSOR, reinterpret_cast<WPARAM>(list),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }
}

void CQuillbeyDlg::SetChecking(bool checking) {
    // The same timer pumps the scan and the check after it.
    if (m_bBusy || checking) {
        SetTimer(m_hWnd, kFlushTimerId, kFlushIntervalMs, nullptr);
    } else {
        KillTimer(m_hWnd, kFlushTimerId);
    }
}

void CQuillbeyDlg::UpdateRowMarks() {
    m_lstRoms.UpdateMarks();
}

void CQuillbeyDlg::SetLogoErrorTick(bool ticked) {
    SendMessageW(m_chkLogoError, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CQuillbeyDlg::CopyToClipboard(const std::string& text) {
    CopyTextToClipboard(m_hWnd, text);
}

void CQuillbeyDlg::ShowError(const std::string& caption, const std::string& text) {
    MessageBoxW(m_hWnd, Utf8ToWide(text).c_str(), Utf8ToWide(caption).c_str(),
                MB_OK | MB_ICONWARNING);
}
