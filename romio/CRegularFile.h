// An open, read-only descriptor of a regular file. Opening refuses anything
// else (directories, FIFOs, sockets, devices) without ever blocking on it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

class CRegularFile {
public:
    // The file at `path`, following symlinks; nullopt when it is missing,
    // unreadable or not a regular file.
    static std::optional<CRegularFile> Open(const std::string& path);
    // Open() for a name that a folder listing has just reported as a regular
    // file, not a link. It opens without looking first but without following
    // a link, so what it can open is what the listing saw or a file put in
    // its place, never a device behind a link (making a device node takes
    // root); what was opened is still checked. A link put there since is
    // handed to Open(). One system call less than Open() per file.
    static std::optional<CRegularFile> OpenListed(const std::string& path);

    CRegularFile(CRegularFile&& other) noexcept;
    CRegularFile& operator=(CRegularFile&& other) noexcept;
    CRegularFile(const CRegularFile&) = delete;
    CRegularFile& operator=(const CRegularFile&) = delete;
    ~CRegularFile();

    std::uint64_t Size() const { return m_size; }
    // Reads up to buffer.size() bytes from `offset`; returns how many were read
    // (fewer at the end of the file or on a read error).
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const;
    // Hands the descriptor over to the caller, who closes it.
    int Release();

private:
    CRegularFile(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}

    int m_fd = -1;
    std::uint64_t m_size = 0;
};
