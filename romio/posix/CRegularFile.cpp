// Regular-file access on POSIX systems, written so that a hostile name (a FIFO
// or a device called game.gba) can neither block nor be read.
#include "romio/CRegularFile.h"
#include "romio/ReadFully.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileError ErrorOf(int code) {
    const FileFailure failure =
        (code == ENOENT || code == ENOTDIR) ? FileFailure::NotFound : FileFailure::Unreadable;
    return {failure, code};
}

} // namespace

std::optional<CRegularFile> CRegularFile::Open(const std::string& path, FileError* error) {
    FileError failure;
    FileError& out = error != nullptr ? *error : failure;
    out = {};
    // Look before opening: opening some devices has effects of its own.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        out = ErrorOf(errno);
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        out = {S_ISDIR(info.st_mode) ? FileFailure::IsFolder : FileFailure::NotRegularFile, 0};
        return std::nullopt;
    }
    // The name may have been replaced since; O_NONBLOCK keeps a FIFO swapped in
    // from blocking the open, and fstat judges what was really opened.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        out = ErrorOf(errno);
        return std::nullopt;
    }
    return Adopt(fd, out);
}

std::optional<CRegularFile> CRegularFile::OpenListed(const std::string& path, FileError* error) {
    FileError failure;
    FileError& out = error != nullptr ? *error : failure;
    out = {};
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        if (errno == ELOOP) {
            return Open(path, error);
        }
        out = ErrorOf(errno);
        return std::nullopt;
    }
    return Adopt(fd, out);
}

std::optional<CRegularFile> CRegularFile::Adopt(std::intptr_t handle, FileError& error) {
    const int fd = static_cast<int>(handle);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = ErrorOf(errno);
    } else if (!S_ISREG(info.st_mode)) {
        error = {S_ISDIR(info.st_mode) ? FileFailure::IsFolder : FileFailure::NotRegularFile, 0};
    } else {
        return CRegularFile(fd, static_cast<std::uint64_t>(info.st_size));
    }
    ::close(fd);
    return std::nullopt;
}

void CRegularFile::Close() {
    if (m_handle >= 0) {
        ::close(static_cast<int>(m_handle));
        m_handle = -1;
    }
}

std::size_t CRegularFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer,
                                 bool* failed) const {
    const int fd = static_cast<int>(m_handle);
    return ReadFully(
        [fd](std::uint64_t at, std::span<std::uint8_t> into) {
            const ssize_t got = ::pread(fd, into.data(), into.size(), static_cast<off_t>(at));
            return PartialRead{got, got < 0 && errno == EINTR};
        },
        offset, buffer, failed);
}
