// The folder browser and the clipboard.
#include "ShellServices.h"

#include "WideText.h"

#include <shlobj.h>

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
    return isPath ? std::optional<std::string>(WideToUtf8(path)) : std::nullopt;
}

bool CopyTextToClipboard(HWND owner, const std::string& utf8) {
    std::wstring text;
    for (const wchar_t c : Utf8ToWide(utf8)) {
        text += c == L'\n' ? std::wstring_view(L"\r\n") : std::wstring_view(&c, 1);
    }
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (!OpenClipboard(owner)) {
        return false;
    }
    EmptyClipboard();
    bool copied = false;
    if (const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        CopyMemory(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
        copied = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!copied) {
            GlobalFree(memory); // the clipboard did not take it
        }
    }
    CloseClipboard();
    return copied;
}
