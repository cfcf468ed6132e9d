// Finding the older versions' settings file.
#include "LegacySettings.h"

#include "WideText.h"
#include "romio/CFileSystem.h"

#include <windows.h>

#include <shlobj.h>

namespace {

// The user's VirtualStore copy of `path` (a path on a drive), or "".
std::string VirtualStoreCopyOf(const std::string& path) {
    const std::wstring wide = Utf8ToWide(path);
    if (wide.size() < 3 || wide[1] != L':') {
        return {};
    }
    PWSTR localAppData = nullptr;
    std::string copy;
    if (SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &localAppData) == S_OK) {
        copy = WideToUtf8(std::wstring(localAppData) + L"\\VirtualStore" + wide.substr(2));
    }
    CoTaskMemFree(localAppData);
    return copy;
}

} // namespace

std::string LegacySettingsFile() {
    const std::string path = CFileSystem::LegacySettingsPath();
    const std::string copy = VirtualStoreCopyOf(path);
    if (!copy.empty() && CFileSystem::KindOf(copy) == ListedKind::Regular) {
        return copy;
    }
    return path;
}
