// Regular-file access for the loader, written so that a hostile name (a FIFO
// or a device called game.gba) can neither block nor be read.
#include "CRegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

std::optional<CRegularFile> CRegularFile::Open(const std::string& path) {
    // Look before opening: opening some devices has effects of its own.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    // The name may have been replaced since; O_NONBLOCK keeps a FIFO swapped in
    // from blocking the open, and fstat judges what was really opened.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    return CRegularFile(fd, static_cast<std::uint64_t>(info.st_size));
}

std::optional<CRegularFile> CRegularFile::OpenListed(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return errno == ELOOP ? Open(path) : std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    return CRegularFile(fd, static_cast<std::uint64_t>(info.st_size));
}

CRegularFile::CRegularFile(CRegularFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_size(other.m_size) {}

CRegularFile& CRegularFile::operator=(CRegularFile&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = std::exchange(other.m_fd, -1);
        m_size = other.m_size;
    }
    return *this;
}

CRegularFile::~CRegularFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

std::size_t CRegularFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const {
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t got = ::pread(m_fd, buffer.data() + done, buffer.size() - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

int CRegularFile::Release() {
    return std::exchange(m_fd, -1);
}
