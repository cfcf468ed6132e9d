// What the program asks of the operating system besides reading a file:
// listing a folder, the kind of a path, the settings file's small reads and
// atomic writes, error texts and path separators. The other part of the
// platform file layer (with CRegularFile), implemented once per platform
// under romio/posix and romio/win32; nothing outside them includes a system
// header for files or folders. Paths are UTF-8 on Windows and the system's
// bytes elsewhere. On Windows a path may be as long as the system allows
// (not MAX_PATH), and a name Windows reserves for a device (CON.gba, NUL.zip,
// COM1.bin...) is never opened: it reads as not a regular file.
#pragma once

#include "FileError.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// What a folder listing says of a name, without opening it.
enum class ListedKind : std::uint8_t {
    Unknown, // the listing could not tell: look before using it
    Regular,
    Folder,
    Link, // a symbolic link or other reparse point, not followed
    Other,
};

class CFileSystem {
public:
#ifdef _WIN32
    static constexpr char kSeparator = '\\';
    // The error code of a missing folder (ERROR_PATH_NOT_FOUND).
    static constexpr int kNotFoundError = 3;
#else
    static constexpr char kSeparator = '/';
    static constexpr int kNotFoundError = ENOENT;
#endif
    // "/" everywhere; "\\" as well on Windows.
    static constexpr bool IsSeparator(char c) {
        return c == '/' || (kSeparator == '\\' && c == '\\');
    }
    // Where the last component of `path` starts (on Windows also after the
    // drive of "C:x.gba").
    static std::size_t LastComponentStart(std::string_view path);

    // Calls `visit` with each name in `folder` ("" stands for the root, on
    // Windows the current drive's) but
    // "." and "..", in the order the system lists them. Returns 0, or the
    // system's error code when the folder cannot be listed (whole or in part).
    static int ListFolder(const std::string& folder,
                          const std::function<void(std::string_view name, ListedKind kind)>& visit);
    // What `path` is, links not followed: Unknown when it cannot be told
    // (missing or not reachable).
    static ListedKind KindOf(const std::string& path);
    // True when `path` is a folder, links followed.
    static bool IsFolder(const std::string& path);
    // True when the files in `folder` live in memory (tmpfs, a RAM disk), so
    // that reading them never waits for a device.
    static bool IsInMemory(const std::string& folder);

    // The whole of a regular file no larger than `maxSize`; nullopt when it
    // is missing, unreadable, not a regular file or larger.
    static std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t maxSize);
    // Replaces the file at `path` with `content` through a temporary file and
    // a rename, creating its folder when needed. A link to a regular file is
    // written where it leads, so the link survives; a link to anything else is
    // replaced itself. Returns 0, or the error code (the old file then stays
    // as it was).
    static int WriteFileAtomically(const std::string& path, std::string_view content);

    // The folder the program keeps its settings in, per user
    // ($XDG_CONFIG_HOME/quillbey, or %APPDATA%\Quillbey on Windows).
    static std::string UserSettingsFolder();
    // Where the old Windows program kept its settings, quillbey.ini in the
    // Windows folder, to take the last folder over from once; "" elsewhere.
    static std::string LegacySettingsPath();
    // Text as that older program wrote it (the system's ANSI code page on
    // Windows), in UTF-8; elsewhere the bytes as they are.
    static std::string LegacyTextToUtf8(std::string_view text);
    // The system's words for an error code (errno, or GetLastError() on
    // Windows), as one clause without a final period.
    static std::string ErrorText(int code);
    // Why a file could not be had, as one clause: "is a folder", "not a
    // regular file", or the system's words for its error code.
    static std::string FileErrorText(const FileError& error);
};
