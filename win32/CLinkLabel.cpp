// The hyperlink label on Windows: subclassing, colours, hover, fitting,
// opening and the failure report.
#include "CLinkLabel.h"

#include "WideText.h"
#include "ui/FitToTextRect.h"
#include "ui/LinkFallback.h"
#include "ui/OpenErrorText.h"

#include <commctrl.h>
#include <shellapi.h>

#include <optional>
#include <vector>

// The window-free code speaks in the system's own values.
static_assert(kAlignCentre == SS_CENTER && kAlignRight == SS_RIGHT &&
              kAlignMiddle == SS_CENTERIMAGE);
static_assert(kErrFileNotFound == SE_ERR_FNF && kErrPathNotFound == SE_ERR_PNF &&
              kErrAccessDenied == SE_ERR_ACCESSDENIED && kErrOutOfMemory == SE_ERR_OOM &&
              kErrBadFormat == ERROR_BAD_FORMAT && kErrSharingViolation == SE_ERR_SHARE &&
              kErrAssociationIncomplete == SE_ERR_ASSOCINCOMPLETE &&
              kErrDdeTimeout == SE_ERR_DDETIMEOUT && kErrDdeFailed == SE_ERR_DDEFAIL &&
              kErrDdeBusy == SE_ERR_DDEBUSY && kErrNoAssociation == SE_ERR_NOASSOC &&
              kErrDllNotFound == SE_ERR_DLLNOTFOUND);

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr UINT_PTR kToolId = 1;
constexpr COLORREF kDefaultLinkColor = RGB(0, 0, 238);
constexpr COLORREF kDefaultVisitedColor = RGB(85, 26, 139);
constexpr UINT kRedrawFlags = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;
// The size of a registry value read, in characters, its terminating zero included.
constexpr DWORD kRegistryValueLength = MAX_PATH;

TOOLINFOW ToolOf(HWND hwnd, std::wstring& text) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = hwnd;
    tool.uId = kToolId;
    tool.lpszText = text.data();
    GetClientRect(hwnd, &tool.rect);
    return tool;
}

} // namespace

CLinkLabel::CLinkLabel()
    : m_clrLink(kDefaultLinkColor), m_clrVisited(kDefaultVisitedColor),
      m_clrHover(GetSysColor(COLOR_HIGHLIGHT)) {}

CLinkLabel::~CLinkLabel() {
    if (m_hWnd != nullptr) {
        RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
    }
    if (m_fontLink != nullptr) {
        DeleteObject(m_fontLink);
    }
}

void CLinkLabel::Attach(HWND hwnd) {
    m_hWnd = hwnd;
    SetWindowLongW(hwnd, GWL_STYLE, GetWindowLongW(hwnd, GWL_STYLE) | SS_NOTIFY);
    if (m_strTarget.empty()) {
        m_strTarget = WideToUtf8(WindowText());
    }
    if (WindowText().empty()) {
        SetWindowTextW(hwnd, Utf8ToWide(m_strTarget).c_str());
    }
    ApplyLinkFont();
    FitToText();
    LoadHandCursor();
    CreateTooltip();
    SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void CLinkLabel::SetTarget(const std::string& target) {
    m_strTarget = target;
    if (m_hWnd != nullptr) {
        FitToText();
        std::wstring text = Utf8ToWide(m_strTarget);
        const TOOLINFOW tool = ToolOf(m_hWnd, text);
        SendMessageW(m_wndTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void CLinkLabel::SetLinkColors(COLORREF link, COLORREF visited, COLORREF hover) {
    m_clrLink = link;
    m_clrVisited = visited;
    m_clrHover = hover == CLR_INVALID ? GetSysColor(COLOR_HIGHLIGHT) : hover;
    if (m_hWnd != nullptr) {
        InvalidateRect(m_hWnd, nullptr, TRUE);
    }
}

void CLinkLabel::SetLinkVisited(bool visited) {
    m_bLinkVisited = visited;
    if (m_hWnd != nullptr) {
        InvalidateRect(m_hWnd, nullptr, TRUE);
    }
}

void CLinkLabel::SetUnderlined(bool underlined) {
    m_bUnderlined = underlined;
    if (m_hWnd != nullptr) {
        ApplyLinkFont();
        InvalidateRect(m_hWnd, nullptr, TRUE);
    }
}

void CLinkLabel::ApplyLinkFont() {
    auto current = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    if (current == nullptr) {
        current = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    LOGFONTW font{};
    GetObjectW(current, sizeof font, &font);
    font.lfUnderline = m_bUnderlined ? TRUE : FALSE;
    // The new font first: the window must never hold a deleted one.
    const HFONT old = m_fontLink;
    m_fontLink = CreateFontIndirectW(&font);
    SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_fontLink), TRUE);
    if (old != nullptr) {
        DeleteObject(old);
    }
}

void CLinkLabel::FitToText() {
    if (m_hWnd == nullptr) {
        return;
    }
    RECT window{};
    GetWindowRect(m_hWnd, &window);
    MapWindowPoints(HWND_DESKTOP, GetParent(m_hWnd), reinterpret_cast<POINT*>(&window), 2);

    // The text, not the target, is what shows; measured with the link font.
    const std::wstring text = WindowText();
    SIZE extent{};
    const HDC dc = GetDC(m_hWnd);
    const HGDIOBJ oldFont = SelectObject(dc, m_fontLink);
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, oldFont);
    ReleaseDC(m_hWnd, dc);

    const auto style = static_cast<unsigned>(GetWindowLongW(m_hWnd, GWL_STYLE));
    const WindowRect fitted = FitRectToText({window.left, window.top, window.right, window.bottom},
                                            extent.cx, extent.cy, style);
    SetWindowPos(m_hWnd, nullptr, fitted.left, fitted.top, fitted.Width(), fitted.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void CLinkLabel::LoadHandCursor() {
    // The system's own hand: it follows the user's pointer scheme and size.
    m_hHandCursor = LoadCursorW(nullptr, IDC_HAND);
}

void CLinkLabel::CreateTooltip() {
    m_wndTip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    std::wstring text = Utf8ToWide(m_strTarget);
    const TOOLINFOW tool = ToolOf(m_hWnd, text);
    SendMessageW(m_wndTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

HBRUSH CLinkLabel::CtlColor(HDC dc, HBRUSH background) const {
    COLORREF colour = m_clrLink;
    if (m_bLinkVisited) {
        colour = m_clrVisited;
    } else if (m_bHover) {
        colour = m_clrHover;
    }
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    // The parent's own brush rather than none: a static control does not
    // erase what it drew before, and text drawn again over itself thickens.
    return background;
}

LRESULT CALLBACK CLinkLabel::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR /*id*/, DWORD_PTR self) {
    auto* label = reinterpret_cast<CLinkLabel*>(self);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
        DestroyWindow(label->m_wndTip); // harmless when its owner took it along already
        label->m_wndTip = nullptr;
        label->m_hWnd = nullptr;
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    return label->OnMessage(message, wParam, lParam);
}

LRESULT CLinkLabel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        RelayToTooltip(message, wParam, lParam);
    }
    switch (message) {
    case WM_SETCURSOR:
        if (m_hHandCursor == nullptr) {
            return FALSE;
        }
        SetCursor(m_hHandCursor);
        return TRUE;
    case WM_MOUSEMOVE: {
        const LRESULT result = DefSubclassProc(m_hWnd, message, wParam, lParam);
        OnMouseMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return result;
    }
    case WM_CAPTURECHANGED:
        // Someone else took the mouse (a menu, a message box): no longer under it.
        if (m_bHover && reinterpret_cast<HWND>(lParam) != m_hWnd) {
            SetHover(false);
        }
        break;
    default:
        break;
    }
    return DefSubclassProc(m_hWnd, message, wParam, lParam);
}

void CLinkLabel::OnMouseMove(POINT point) {
    if (!m_bHover) {
        // The capture brings the moves that leave the label here too.
        SetHover(true);
        SetCapture(m_hWnd);
        return;
    }
    RECT client{};
    GetClientRect(m_hWnd, &client);
    if (!PtInRect(&client, point)) {
        EndHover();
    }
}

void CLinkLabel::SetHover(bool hover) {
    m_bHover = hover;
    Redraw();
}

void CLinkLabel::EndHover() {
    if (m_bHover) {
        SetHover(false); // first, so that losing the capture finds it done
        if (GetCapture() == m_hWnd) {
            ReleaseCapture();
        }
    }
}

void CLinkLabel::Redraw() const {
    RedrawWindow(m_hWnd, nullptr, nullptr, kRedrawFlags);
}

void CLinkLabel::RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (m_wndTip == nullptr) {
        return;
    }
    const DWORD position = GetMessagePos();
    MSG relayed{m_hWnd,
                message,
                wParam,
                lParam,
                static_cast<DWORD>(GetMessageTime()),
                {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))}};
    SendMessageW(m_wndTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

std::wstring CLinkLabel::WindowText() const {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(m_hWnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(m_hWnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

void CLinkLabel::OnLinkClicked() {
    const int result = OpenTarget(m_strTarget, SW_SHOW);
    // The label lets the mouse go: a label that kept it would take the next
    // click anywhere in the dialog for itself, and a message box needs it.
    EndHover();
    SetLinkVisited(result > kSuccessThreshold);
    if (!m_bLinkVisited) {
        MessageBeep(MB_ICONEXCLAMATION);
        ShowOpenError(result);
    }
}

int CLinkLabel::OpenTarget(const std::string& target, int showCommand) {
    const int shellResult = static_cast<int>(reinterpret_cast<INT_PTR>(ShellExecuteW(
        nullptr, L"open", Utf8ToWide(target).c_str(), nullptr, nullptr, showCommand)));
    if (shellResult > kSuccessThreshold) {
        return shellResult;
    }
    // The program that opens web pages, as the registry names it.
    std::wstring command;
    if (ReadRegDefault(HKEY_CLASSES_ROOT, L".htm", command) != ERROR_SUCCESS) {
        return shellResult;
    }
    if (ReadRegDefault(HKEY_CLASSES_ROOT, command + L"\\shell\\open\\command", command) !=
        ERROR_SUCCESS) {
        return shellResult;
    }
    const std::optional<std::string> commandLine =
        BuildFallbackCommandLine(WideToUtf8(command), target);
    if (!commandLine) {
        return shellResult; // past the command line's limit: not tried
    }
    return RunCommandLine(*commandLine, showCommand);
}

int CLinkLabel::RunCommandLine(const std::string& commandLine, int showCommand) {
    std::wstring line = Utf8ToWide(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process) == 0) {
        // Judged as a launch result, as the shell's: an error code above the
        // threshold would read as success, so it counts as a bad program file.
        const DWORD error = GetLastError();
        return error <= kSuccessThreshold ? static_cast<int>(error) : kErrBadFormat;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return kLaunchSucceeded;
}

LONG CLinkLabel::ReadRegDefault(HKEY root, const std::wstring& subKey, std::wstring& value) {
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key);
    if (opened != ERROR_SUCCESS) {
        return opened;
    }
    std::vector<wchar_t> buffer(kRegistryValueLength + 1, L'\0');
    DWORD size = kRegistryValueLength * sizeof(wchar_t);
    DWORD type = 0;
    LONG status = RegQueryValueExW(key, nullptr, nullptr, &type,
                                   reinterpret_cast<BYTE*>(buffer.data()), &size);
    RegCloseKey(key);
    // A value that cannot be read, or is no text, counts as missing.
    if (status == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) {
        status = ERROR_FILE_NOT_FOUND;
    }
    if (status != ERROR_SUCCESS) {
        return status;
    }
    value = buffer.data(); // up to the first zero; the buffer keeps one past the value
    if (type == REG_EXPAND_SZ) {
        std::vector<wchar_t> expanded(ExpandEnvironmentStringsW(value.c_str(), nullptr, 0) + 1);
        ExpandEnvironmentStringsW(value.c_str(), expanded.data(),
                                  static_cast<DWORD>(expanded.size()));
        value = expanded.data();
    }
    return ERROR_SUCCESS;
}

void CLinkLabel::ShowOpenError(int code) const {
    const HWND owner = GetAncestor(m_hWnd, GA_ROOT);
    MessageBoxW(owner, Utf8ToWide(OpenErrorMessage(code)).c_str(), L"Quillbey",
                MB_ICONEXCLAMATION | MB_OK);
}
