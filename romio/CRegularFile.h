// An open, read-only regular file. Opening refuses anything else (folders,
// pipes, sockets, devices) without ever blocking on it. One of the two parts
// of the platform file layer (with CFileSystem): the only code that opens or
// reads files, implemented once per platform under romio/posix and
// romio/win32. On Windows files are opened with every share mode, so other
// programs may keep them open, write, rename or delete them; a file another
// program holds locked is Unreadable.
#pragma once

#include "FileError.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

class CRegularFile {
public:
    // The file at `path`, links followed; nullopt when it is missing,
    // unreadable or not a regular file, with the reason in `error`.
    static std::optional<CRegularFile> Open(const std::string& path, FileError* error = nullptr);
    // Open() for a name that a folder listing has just reported as a regular
    // file, not a link. It opens without looking first but without following
    // a link, so what it can open is what the listing saw or a file put in
    // its place, never a device behind a link; what was opened is still
    // checked. A link put there since is handed to Open(). One system call
    // less than Open() per file.
    static std::optional<CRegularFile> OpenListed(const std::string& path,
                                                  FileError* error = nullptr);

    CRegularFile(CRegularFile&& other) noexcept;
    CRegularFile& operator=(CRegularFile&& other) noexcept;
    CRegularFile(const CRegularFile&) = delete;
    CRegularFile& operator=(const CRegularFile&) = delete;
    ~CRegularFile();

    // The size when it was opened.
    std::uint64_t Size() const { return m_size; }
    // Reads up to buffer.size() bytes from `offset`, going on after short
    // reads and interruptions; returns how many were read (fewer at the end of
    // the file, or on a read error, which also sets `failed` when given).
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer,
                       bool* failed = nullptr) const;

private:
    CRegularFile(std::intptr_t handle, std::uint64_t size) : m_handle(handle), m_size(size) {}
    void Close();

    std::intptr_t m_handle; // a file descriptor, or a Windows HANDLE
    std::uint64_t m_size;
};
