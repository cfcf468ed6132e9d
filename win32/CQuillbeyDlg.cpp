// The main dialog on Windows: initialisation from template 102, folder choice
// and scan control, the ROM Info panel and its colours, and the folder
// setting read at start and written at close.
#include "CQuillbeyDlg.h"

#include "LegacySettings.h"
#include "WideText.h"
#include "ui/CProfileIni.h"
#include "ui/ChosenFolder.h"
#include "ui/FolderSetting.h"
#include "ui/MakerInfo.h"
#include "ui/RomDetailFields.h"
#include "ui/RomSort.h"
#include "ui/TextConversion.h"
#include "ui/resource.h"
#include "romio/CFileSystem.h"
#include "scan/CRomEntryList.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>

namespace {

constexpr int kListColumnWidth = 166; // pixels at 96 dots per inch
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

// The list view and tooltip classes of the common controls.
void RegisterCommonControls() {
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                             ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

std::optional<std::string> BrowseForFolder(HWND owner) {
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = L"Select Folder.";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (chosen == nullptr) {
        return std::nullopt;
    }
    wchar_t path[MAX_PATH] = {};
    const BOOL isPath = SHGetPathFromIDListW(chosen, path);
    CoTaskMemFree(chosen);
    // A folder without a file-system path cannot be scanned: as if cancelled.
    if (!isPath) {
        return std::nullopt;
    }
    return WideToUtf8(path);
}

int CALLBACK CompareRows(LPARAM itemData1, LPARAM itemData2, LPARAM entries) {
    return CompareRomRows(static_cast<std::int32_t>(itemData1),
                          static_cast<std::int32_t>(itemData2),
                          *reinterpret_cast<const CRomEntryList*>(entries));
}

void SetText(HWND dialog, int controlId, std::string_view utf8) {
    SetDlgItemTextW(dialog, controlId, Utf8ToWide(utf8).c_str());
}

} // namespace

CQuillbeyDlg::CQuillbeyDlg(std::optional<std::string> startFolder)
    : m_hIcon(LoadIconW(ModuleInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_pickFolder(BrowseForFolder), m_startFolder(std::move(startFolder)),
      m_strSettingsPath(CProfileIni::DefaultPath()), m_strLegacySettingsPath(LegacySettingsFile()) {
    m_hSmallIcon = static_cast<HICON>(LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                                 IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), 0));
}

CQuillbeyDlg::~CQuillbeyDlg() {
    if (m_hWnd != nullptr) {
        DestroyWindow(m_hWnd);
    }
    StopScan();
    if (m_hSmallIcon != nullptr) {
        DestroyIcon(m_hSmallIcon);
    }
}

void CQuillbeyDlg::SetSettingsFiles(std::string path, std::string legacyPath) {
    m_strSettingsPath = std::move(path);
    m_strLegacySettingsPath = std::move(legacyPath);
}

INT_PTR CQuillbeyDlg::DoModal(HWND owner) {
    RegisterCommonControls();
    m_bModal = true;
    return DialogBoxParamW(ModuleInstance(), MAKEINTRESOURCEW(IDD_QUILLBEY_DIALOG), owner,
                           DialogProc, reinterpret_cast<LPARAM>(this));
}

HWND CQuillbeyDlg::Create(HWND owner) {
    RegisterCommonControls();
    m_bModal = false;
    return CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(IDD_QUILLBEY_DIALOG), owner,
                              DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CQuillbeyDlg::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        reinterpret_cast<CQuillbeyDlg*>(lParam)->m_hWnd = hwnd;
    }
    auto* dlg = reinterpret_cast<CQuillbeyDlg*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (dlg == nullptr) {
        return FALSE; // messages before WM_INITDIALOG
    }
    const INT_PTR result = dlg->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        dlg->m_hWnd = nullptr;
    }
    return result;
}

INT_PTR CQuillbeyDlg::SetResult(LRESULT result) {
    SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
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
    case WM_NOTIFY: {
        const auto* notice = reinterpret_cast<const NMHDR*>(lParam);
        if (notice->idFrom == IDC_ROMLIST && notice->code == LVN_ITEMCHANGED) {
            OnItemChangedRomList();
            return SetResult(0);
        }
        return FALSE;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(
            OnCtlColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_SETCURSOR:
        return OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam)) ? SetResult(TRUE)
                                                                           : FALSE;
    case WM_TIMER:
        if (wParam == kFlushTimerId) {
            OnFlushTimer();
        }
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
        OnOK();
        return true;
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
            OnLogoErrorClicked();
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

BOOL CQuillbeyDlg::OnInitDialog() {
    m_btnBrowse = GetDlgItem(m_hWnd, IDC_BROWSE);
    m_chkLogoError = GetDlgItem(m_hWnd, IDC_LOGOERROR);
    m_lstRoms = GetDlgItem(m_hWnd, IDC_ROMLIST);
    m_lnkMail.Attach(GetDlgItem(m_hWnd, IDC_MAILLINK));
    m_lnkWeb.Attach(GetDlgItem(m_hWnd, IDC_WEBLINK));
    ShowFieldLabels();

    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(m_hSmallIcon != nullptr ? m_hSmallIcon : m_hIcon));

    // The column only carries the rows' text; its heading is hidden. Its width
    // follows the screen's scale, as the dialog's does.
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    std::wstring heading = L"Filename";
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = MulDiv(kListColumnWidth, dpi, USER_DEFAULT_SCREEN_DPI);
    column.pszText = heading.data();
    ListView_InsertColumn(m_lstRoms, 0, &column);
    ListView_SetExtendedListViewStyleEx(m_lstRoms, 0, LVS_EX_FULLROWSELECT);

    StoredFolder stored = ReadFolderSetting(m_strSettingsPath, m_strLegacySettingsPath);
    // Older versions wrote the file in the ANSI code page.
    m_strLastFolder = stored.fromLegacy && !IsValidUtf8(stored.folder) ? AnsiToUtf8(stored.folder)
                                                                       : std::move(stored.folder);
    UpdateData(false);

    m_lnkMail.SetTarget(std::string("mailto:") + MakerInfo::kMailAddress);
    m_lnkMail.SetUnderlined(false);
    m_lnkMail.SetLinkColors(kLinkColour, kVisitedColour, kHoverColour);
    m_lnkWeb.SetLinkColors(kLinkColour, kVisitedColour, kHoverColour);

    SetBrowseBitmap();

    // A folder given at start wins; else the stored folder, when it still exists.
    if (m_startFolder) {
        ChooseFolder(*m_startFolder);
    } else if (CFileSystem::IsFolder(m_strLastFolder)) {
        ChooseFolder(m_strLastFolder);
    }
    return TRUE; // the focus goes to the first tab stop, the browse button
}

void CQuillbeyDlg::ShowFieldLabels() {
    for (const RomDetailField& field : kRomDetailFields) {
        SetText(m_hWnd, field.nControlId + IDC_LABEL_OFFSET, field.label);
    }
    SetText(m_hWnd, IDC_LOGOERROR, kLogoErrorLabel);
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

void CQuillbeyDlg::OnOK() {
    // Enter does nothing; the dialog has no OK button.
}

void CQuillbeyDlg::OnCancel() {
    if (m_bModal) {
        EndDialog(m_hWnd, IDCANCEL);
    } else {
        DestroyWindow(m_hWnd);
    }
}

void CQuillbeyDlg::OnDestroy() {
    StopScan();
    UpdateData(true);
    // A run in which no folder was chosen keeps what was stored.
    const std::string& folder = m_strFolder.empty() ? m_strLastFolder : m_strFolder;
    if (const int error = WriteFolderSetting(m_strSettingsPath, folder); error != 0) {
        std::fprintf(stderr, "quillbey: cannot save the last folder to %s: %s\n",
                     m_strSettingsPath.c_str(), CFileSystem::ErrorText(error).c_str());
    }
    if (m_hBrowseBitmap != nullptr) {
        SendMessageW(m_btnBrowse, BM_SETIMAGE, IMAGE_BITMAP, 0);
        DeleteObject(m_hBrowseBitmap);
        m_hBrowseBitmap = nullptr;
    }
}

void CQuillbeyDlg::OnBrowse() {
    if (const std::optional<std::string> chosen = m_pickFolder(m_hWnd)) {
        ChooseFolder(*chosen);
    }
}

void CQuillbeyDlg::ChooseFolder(const std::string& folder) {
    // Never two workers: a running scan is stopped first, without waiting.
    StopScan();

    m_strFolder = folder;
    m_strLastFolder = folder;
    UpdateData(false);
    ListView_DeleteAllItems(m_lstRoms);

    const ChosenFolder chosen = SplitChosenFolder(m_strFolder);
    m_strFolder = chosen.shown;

    SetBusy(true);
    SetTimer(m_hWnd, kFlushTimerId, kFlushIntervalMs, nullptr);
    m_scan.Start(chosen.scan); // empties the entry list; rows and count start at 0
}

void CQuillbeyDlg::StopScan() {
    m_scan.Stop();
    if (m_hWnd != nullptr) {
        KillTimer(m_hWnd, kFlushTimerId);
    }
    SetBusy(false);
}

void CQuillbeyDlg::SetBusy(bool busy) {
    if (m_bBusy == busy) {
        return;
    }
    m_bBusy = busy;
    // The pointer over the list changes now, not at the next mouse move.
    POINT cursor{};
    if (m_lstRoms != nullptr && GetCursorPos(&cursor) && WindowFromPoint(cursor) == m_lstRoms) {
        SendMessageW(m_lstRoms, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_lstRoms),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }
}

bool CQuillbeyDlg::OnSetCursor(HWND window, WORD hitTest) {
    if (!m_bBusy || window != m_lstRoms || hitTest != HTCLIENT) {
        return false;
    }
    SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
    return true;
}

void CQuillbeyDlg::OnFlushTimer() {
    const CScanSession::Progress progress = m_scan.TakeProgress();
    AppendRows(progress.rows);
    if (progress.done) {
        OnScanDone();
    }
}

void CQuillbeyDlg::AppendRows(const std::vector<CScanRowBuffer::Row>& rows) {
    if (rows.empty()) {
        return;
    }
    SendMessageW(m_lstRoms, WM_SETREDRAW, FALSE, 0);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = ListView_GetItemCount(m_lstRoms);
    for (const CScanRowBuffer::Row& row : rows) {
        std::wstring text = Utf8ToWide(FileNameToUtf8(*row.text));
        item.pszText = text.data();
        item.lParam = row.itemData;
        item.iItem = ListView_InsertItem(m_lstRoms, &item) + 1;
    }
    SendMessageW(m_lstRoms, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_lstRoms, nullptr, TRUE);
}

void CQuillbeyDlg::OnScanDone() {
    if (!m_bBusy) {
        return;
    }
    KillTimer(m_hWnd, kFlushTimerId);
    ListView_SortItems(m_lstRoms, CompareRows, reinterpret_cast<LPARAM>(&g_romEntries));
    SetBusy(false);
}

void CQuillbeyDlg::OnItemChangedRomList() {
    if (m_bBusy) {
        return;
    }
    const int focused = ListView_GetNextItem(m_lstRoms, -1, LVNI_FOCUSED);
    if (focused < 0) {
        return;
    }
    ClearDetails();
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = focused;
    ListView_GetItem(m_lstRoms, &item);
    if (const CRomEntry* entry = g_romEntries.GetAt(static_cast<std::size_t>(item.lParam))) {
        m_details = ComputeRomDetails(*entry);
        SetCheck(m_details.m_bLogoError ? BST_CHECKED : BST_UNCHECKED);
    }
    UpdateData(false);
}

void CQuillbeyDlg::ClearDetails() {
    m_details = RomDetails{};
    SetCheck(BST_UNCHECKED);
}

void CQuillbeyDlg::OnLogoErrorClicked() {
    // The box ticked or cleared itself on the click; only the panel may set it.
    const LRESULT state = SendMessageW(m_chkLogoError, BM_GETCHECK, 0, 0);
    SetCheck(state == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED);
}

void CQuillbeyDlg::SetCheck(int state) {
    SendMessageW(m_chkLogoError, BM_SETCHECK, static_cast<WPARAM>(state), 0);
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
    if (GetDlgCtrlID(control) == IDC_COMPLEMENT && m_details.m_bHighlightComplement) {
        SetTextColor(dc, kHighlightText);
        SetBkColor(dc, kHighlightBack);
    }
    return brush;
}

void CQuillbeyDlg::UpdateData(bool saveAndValidate) {
    if (saveAndValidate) {
        // Every field is read-only and shows a member's text; the members hold
        // the exact text, so nothing is read back.
        return;
    }
    SetText(m_hWnd, IDC_FOLDER, m_strFolder);
    for (const RomDetailField& field : kRomDetailFields) {
        SetText(m_hWnd, field.nControlId, Cp1252ToUtf8(field.TextOf(m_details)));
    }
    // Its colours may have changed with the same text.
    InvalidateRect(GetDlgItem(m_hWnd, IDC_COMPLEMENT), nullptr, TRUE);
}
