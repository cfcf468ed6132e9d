// Regular-file access on Windows, written so that a hostile name (a reserved
// device name such as CON.gba, a folder, a link, a file another program holds
// locked) can neither block nor be read as an image. Files are opened for
// reading with every share mode, so other programs may go on writing,
// renaming or deleting them meanwhile.
#include "romio/CRegularFile.h"
#include "romio/ReadFully.h"

#include "WidePath.h"

#include <algorithm>
#include <windows.h>

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// ReadFile takes a 32-bit count; larger reads go in pieces.
constexpr std::size_t kLargestRead = 1u << 30;

HANDLE HandleOf(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

FileError ErrorOf(DWORD code) {
    const FileFailure failure = (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
                                    ? FileFailure::NotFound
                                    : FileFailure::Unreadable;
    return {failure, static_cast<int>(code)};
}

// Why `path` could not be opened: a folder refuses a plain open with
// "access denied", which must not read as a lock or missing rights.
FileError OpenFailure(const std::wstring& path) {
    const DWORD code = GetLastError();
    if (code == ERROR_ACCESS_DENIED) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return {FileFailure::IsFolder, 0};
        }
    }
    return ErrorOf(code);
}

struct Opened {
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::uint64_t size = 0;
    bool reparsePoint = false; // opened as a link or other reparse point itself
};

// `handle` when it is a file on a disk (not a pipe, console or device) and
// not a folder; closes it otherwise.
std::optional<Opened> CheckedRegular(HANDLE handle, FileError& error) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        error = {FileFailure::NotRegularFile, 0};
    } else if (!GetFileInformationByHandle(handle, &info)) {
        error = {FileFailure::NotRegularFile, static_cast<int>(GetLastError())};
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        error = {FileFailure::IsFolder, 0};
    } else {
        return Opened{handle,
                      (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0};
    }
    CloseHandle(handle);
    return std::nullopt;
}

std::optional<Opened> OpenForReading(const std::string& path, DWORD flags, FileError& error) {
    error = {};
    // Windows opens a device for such a name, wherever it stands: never try.
    if (IsDevicePath(path)) {
        error = {FileFailure::NotRegularFile, 0};
        return std::nullopt;
    }
    const std::wstring wide = ExtendedLengthPath(path);
    const HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = OpenFailure(wide);
        return std::nullopt;
    }
    return CheckedRegular(handle, error);
}

} // namespace

std::optional<CRegularFile> CRegularFile::Open(const std::string& path, FileError* error) {
    FileError failure;
    FileError& out = error != nullptr ? *error : failure;
    // Links are followed; what they lead to is checked once open.
    const auto opened = OpenForReading(path, 0, out);
    if (!opened) {
        return std::nullopt;
    }
    return CRegularFile(reinterpret_cast<std::intptr_t>(opened->handle), opened->size);
}

std::optional<CRegularFile> CRegularFile::OpenListed(const std::string& path, FileError* error) {
    FileError failure;
    FileError& out = error != nullptr ? *error : failure;
    const auto opened = OpenForReading(path, FILE_FLAG_OPEN_REPARSE_POINT, out);
    if (!opened) {
        return std::nullopt;
    }
    if (opened->reparsePoint) {
        // A link, or a file whose data a filter provides (a cloud placeholder,
        // a deduplicated file): opened as itself it holds no image bytes.
        CloseHandle(opened->handle);
        return Open(path, error);
    }
    return CRegularFile(reinterpret_cast<std::intptr_t>(opened->handle), opened->size);
}

void CRegularFile::Close() {
    if (m_handle != -1) {
        CloseHandle(HandleOf(m_handle));
        m_handle = -1;
    }
}

std::size_t CRegularFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer,
                                 bool* failed) const {
    const HANDLE handle = HandleOf(m_handle);
    return ReadFully(
        [handle](std::uint64_t at, std::span<std::uint8_t> into) {
            // The offset travels with the read, so no file position is shared.
            OVERLAPPED position{};
            position.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
            position.OffsetHigh = static_cast<DWORD>(at >> 32);
            const auto wanted =
                static_cast<DWORD>(std::min<std::size_t>(into.size(), kLargestRead));
            DWORD got = 0;
            if (!ReadFile(handle, into.data(), wanted, &got, &position)) {
                return PartialRead{GetLastError() == ERROR_HANDLE_EOF ? 0 : -1, false};
            }
            return PartialRead{got, false};
        },
        offset, buffer, failed);
}
