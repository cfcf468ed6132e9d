// Folders, path kinds and the settings file on Windows, through the wide
// calls: names are UTF-8 on this side and UTF-16 on the system's.
#include "romio/CFileSystem.h"

#include "WidePath.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <shlobj.h>
#include <string>
#include <windows.h>

namespace {

struct FindCloser {
    void operator()(HANDLE find) const { FindClose(find); }
};
using FindHandle = std::unique_ptr<void, FindCloser>;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

FileHandle OwnedHandle(HANDLE handle) {
    return FileHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

int LastError() {
    return static_cast<int>(GetLastError());
}

// What a listing's attributes and reparse tag say of a name. Symbolic links
// and junctions are links; a file with another reparse point (a cloud
// placeholder, a deduplicated file) is a file whose data a filter provides,
// which only an open that lets the filter act can tell about.
ListedKind KindOfAttributes(DWORD attributes, DWORD reparseTag) {
    const bool reparsePoint = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (reparsePoint && (reparseTag == 0 || IsReparseTagNameSurrogate(reparseTag))) {
        return ListedKind::Link;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return ListedKind::Folder;
    }
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
        return ListedKind::Other;
    }
    return reparsePoint ? ListedKind::Unknown : ListedKind::Regular;
}

FindHandle FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW& found) {
    const HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    return FindHandle(find == INVALID_HANDLE_VALUE ? nullptr : find);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD put = 0;
        if (!WriteFile(file, bytes.data(), wanted, &put, nullptr) || put == 0) {
            return false;
        }
        bytes.remove_prefix(put);
    }
    return true;
}

// Where a write to `path` goes: a link to a regular file is written where it
// leads, so that the link stays.
std::wstring WriteTarget(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) !=
            FILE_ATTRIBUTE_REPARSE_POINT) {
        return path;
    }
    const FileHandle target = OwnedHandle(CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!target || GetFileType(target.get()) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(target.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return path;
    }
    const std::wstring real = FilledWideString([&](wchar_t* buffer, unsigned long size) {
        return GetFinalPathNameByHandleW(target.get(), buffer, size, VOLUME_NAME_DOS);
    });
    return real.empty() ? path : real;
}

// Creates the folder `folder` (an extended-length path) and the ones above
// it that are missing. SHCreateDirectoryExW would do it in one call, but it
// takes neither the \\?\ prefix nor paths longer than MAX_PATH.
void CreateFolders(const std::wstring& folder) {
    if (CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() != ERROR_PATH_NOT_FOUND) {
        return;
    }
    const auto parent = folder.find_last_of(L'\\');
    if (parent != std::wstring::npos && parent > 4) {
        CreateFolders(folder.substr(0, parent));
        CreateDirectoryW(folder.c_str(), nullptr);
    }
}

// The error code of a listing of `folder` that found nothing at all.
int ListFailure(const std::string& folder) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND) {
        return 0; // a drive's root holds no "." or "..": an empty one has no match
    }
    // A file in the folder's place: say so, as Windows does (Wine says "invalid name").
    const DWORD attributes = GetFileAttributesW(ExtendedLengthPath(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return ERROR_DIRECTORY;
    }
    return static_cast<int>(code);
}

// A new, empty file beside `target` that nobody else may open meanwhile.
FileHandle CreateTemporaryBeside(const std::wstring& target, std::wstring& temp) {
    static constexpr wchar_t kHexDigits[] = L"0123456789abcdef";
    const ULONGLONG seed = GetTickCount64() ^ (ULONGLONG{GetCurrentProcessId()} << 20) ^
                           ULONGLONG { GetCurrentThreadId() };
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temp = target + L'.';
        for (ULONGLONG bits = seed + attempt * 0x9E3779B9ull, i = 0; i < 6; ++i, bits >>= 4) {
            temp += kHexDigits[bits & 0xF];
        }
        const HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return OwnedHandle(file);
        }
    }
    return nullptr;
}

} // namespace

std::size_t CFileSystem::LastComponentStart(std::string_view path) {
    const auto slash = path.find_last_of("\\/");
    if (slash != std::string_view::npos) {
        return slash + 1;
    }
    return path.size() >= 2 && path[1] == ':' ? 2 : 0; // "C:x.gba"
}

int CFileSystem::ListFolder(const std::string& folder,
                            const std::function<void(std::string_view, ListedKind)>& visit) {
    // "C:\" or "/" may come with their separator.
    const bool separated = !folder.empty() && IsSeparator(folder.back());
    WIN32_FIND_DATAW found;
    const FindHandle find =
        FindFirst(ExtendedLengthPath(folder + (separated ? "*" : "\\*")), found);
    if (!find) {
        return ListFailure(folder);
    }
    std::string name;
    do {
        const std::wstring_view wide = found.cFileName;
        if (wide != L"." && wide != L"..") {
            name = Utf8FromWide(wide);
            visit(name, KindOfAttributes(found.dwFileAttributes, found.dwReserved0));
        }
    } while (FindNextFileW(find.get(), &found));
    return GetLastError() == ERROR_NO_MORE_FILES ? 0 : LastError();
}

ListedKind CFileSystem::KindOf(const std::string& path) {
    if (IsDevicePath(path)) {
        return ListedKind::Other;
    }
    const std::wstring wide = ExtendedLengthPath(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return ListedKind::Unknown;
    }
    WIN32_FIND_DATAW found{};
    const bool tagged =
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && FindFirst(wide, found) != nullptr;
    return KindOfAttributes(attributes, tagged ? found.dwReserved0 : 0);
}

bool CFileSystem::IsFolder(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    const std::wstring wide = ExtendedLengthPath(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return false;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return true;
    }
    // A link to a folder: only a folder it still leads to counts.
    const FileHandle folder = OwnedHandle(CreateFileW(
        wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    return folder && GetFileInformationByHandle(folder.get(), &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CFileSystem::IsInMemory(const std::string& folder) {
    // The volume the folder is on: a RAM disk is the one kind that never waits.
    const std::wstring wide = ExtendedLengthPath(folder.empty() ? std::string("\\") : folder);
    std::wstring volume(MAX_PATH + 1, L'\0');
    if (!GetVolumePathNameW(wide.c_str(), volume.data(), static_cast<DWORD>(volume.size()))) {
        return false;
    }
    return GetDriveTypeW(volume.c_str()) == DRIVE_RAMDISK;
}

int CFileSystem::WriteFileAtomically(const std::string& path, std::string_view content) {
    const std::wstring target = WriteTarget(ExtendedLengthPath(path));
    CreateFolders(target.substr(0, target.find_last_of(L'\\')));

    std::wstring temp;
    FileHandle file = CreateTemporaryBeside(target, temp);
    if (!file) {
        return LastError();
    }
    int result = 0;
    if (!WriteAll(file.get(), content) || !FlushFileBuffers(file.get())) {
        result = LastError();
    }
    file.reset();
    // One call whether or not the file exists yet, and a rename within the
    // folder replaces it in one step. ReplaceFileW would keep the old file's
    // attributes and streams, which a settings file has none of, and it
    // fails when there is no old file.
    if (result == 0 && !MoveFileExW(temp.c_str(), target.c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        result = LastError();
    }
    if (result != 0) {
        DeleteFileW(temp.c_str());
    }
    return result;
}

std::string CFileSystem::UserSettingsFolder() {
    PWSTR roaming = nullptr;
    std::string folder;
    if (SUCCEEDED(
            SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &roaming))) {
        folder = Utf8FromWide(roaming);
    }
    CoTaskMemFree(roaming);
    return folder + "\\Quillbey";
}

std::string CFileSystem::LegacySettingsPath() {
    const std::wstring windows = FilledWideString(
        [](wchar_t* buffer, unsigned long size) { return GetWindowsDirectoryW(buffer, size); });
    return windows.empty() ? std::string() : Utf8FromWide(windows) + "\\quillbey.ini";
}

std::string CFileSystem::LegacyTextToUtf8(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
    return Utf8FromWide(wide);
}

std::string CFileSystem::ErrorText(int code) {
    wchar_t text[512];
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
        nullptr, static_cast<DWORD>(code), 0, text, static_cast<DWORD>(std::size(text)), nullptr);
    std::wstring_view words(text, length);
    // One clause like the other messages it ends up in: no period, no line end.
    while (!words.empty() && (words.back() == L' ' || words.back() == L'\r' ||
                              words.back() == L'\n' || words.back() == L'.')) {
        words.remove_suffix(1);
    }
    return words.empty() ? "Unknown error " + std::to_string(code) : Utf8FromWide(words);
}
