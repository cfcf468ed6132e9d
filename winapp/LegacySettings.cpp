// Finding the older versions' settings file.
#include "LegacySettings.h"

#include "WideText.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>

namespace {

// The program's file name with ".ini" for its extension.
std::wstring IniFileName() {
    wchar_t module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring name(module, length);
    name.erase(0, name.find_last_of(L"\\/") + 1);
    name.erase(std::min(name.find_last_of(L'.'), name.size()));
    return name + L".ini";
}

std::wstring WindowsFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : L"";
}

// The user's copy of `windowsFolder` in the VirtualStore folder.
std::wstring VirtualStoreOf(const std::wstring& windowsFolder) {
    PWSTR localAppData = nullptr;
    std::wstring copy;
    if (SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &localAppData) == S_OK &&
        windowsFolder.size() > 2 && windowsFolder[1] == L':') {
        copy = std::wstring(localAppData) + L"\\VirtualStore" + windowsFolder.substr(2);
    }
    CoTaskMemFree(localAppData);
    return copy;
}

} // namespace

std::string LegacySettingsPath() {
    const std::wstring windowsFolder = WindowsFolder();
    if (windowsFolder.empty()) {
        return {};
    }
    const std::wstring name = L"\\" + IniFileName();
    const std::wstring redirected = VirtualStoreOf(windowsFolder);
    if (!redirected.empty() &&
        GetFileAttributesW((redirected + name).c_str()) != INVALID_FILE_ATTRIBUTES) {
        return WideToUtf8(redirected + name);
    }
    return WideToUtf8(windowsFolder + name);
}
