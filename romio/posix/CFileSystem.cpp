// Folders, path kinds and the settings file on POSIX systems.
#include "romio/CFileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

ListedKind KindOfType(unsigned char type) {
    switch (type) {
    case DT_REG:
        return ListedKind::Regular;
    case DT_DIR:
        return ListedKind::Folder;
    case DT_LNK:
        return ListedKind::Link;
    case DT_UNKNOWN:
        return ListedKind::Unknown;
    default:
        return ListedKind::Other;
    }
}

bool WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

// Where a write to `path` goes: a link to a regular file (a settings file kept
// in a dotfiles folder, say) is written where it leads.
std::filesystem::path WriteTarget(const std::string& path) {
    std::error_code error;
    const std::filesystem::path target(path);
    if (std::filesystem::is_symlink(target, error) &&
        std::filesystem::is_regular_file(target, error)) {
        std::filesystem::path real = std::filesystem::canonical(target, error);
        if (!error) {
            return real;
        }
    }
    return target;
}

} // namespace

std::size_t CFileSystem::LastComponentStart(std::string_view path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

int CFileSystem::ListFolder(const std::string& folder,
                            const std::function<void(std::string_view, ListedKind)>& visit) {
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "/" : folder.c_str()));
    if (!dir) {
        return errno != 0 ? errno : EIO;
    }
    errno = 0;
    while (const dirent* item = ::readdir(dir.get())) {
        const std::string_view name = item->d_name;
        if (name != "." && name != "..") {
            visit(name, KindOfType(item->d_type));
        }
        errno = 0;
    }
    return errno;
}

ListedKind CFileSystem::KindOf(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return ListedKind::Unknown;
    }
    if (S_ISREG(info.st_mode)) {
        return ListedKind::Regular;
    }
    if (S_ISDIR(info.st_mode)) {
        return ListedKind::Folder;
    }
    return S_ISLNK(info.st_mode) ? ListedKind::Link : ListedKind::Other;
}

bool CFileSystem::IsFolder(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CFileSystem::IsInMemory(const std::string& folder) {
    constexpr auto kTmpfsMagic = 0x01021994;
    constexpr auto kRamfsMagic = 0x858458f6;
    struct statfs info {};
    if (::statfs(folder.empty() ? "/" : folder.c_str(), &info) != 0) {
        return false;
    }
    return info.f_type == kTmpfsMagic || info.f_type == kRamfsMagic;
}

int CFileSystem::WriteFileAtomically(const std::string& path, std::string_view content) {
    const std::filesystem::path target = WriteTarget(path);
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);

    std::string temp = target.string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return errno;
    }
    int result = 0;
    errno = 0;
    if (!WriteAll(fd, content) || ::fsync(fd) != 0) {
        result = errno != 0 ? errno : EIO;
    }
    if (::fchmod(fd, 0644) != 0 && result == 0) {
        result = errno;
    }
    if (::close(fd) != 0 && result == 0) {
        result = errno;
    }
    if (result == 0 && ::rename(temp.c_str(), target.c_str()) != 0) {
        result = errno;
    }
    if (result != 0) {
        ::unlink(temp.c_str());
    }
    return result;
}

std::string CFileSystem::UserSettingsFolder() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (configHome != nullptr && configHome[0] == '/') {
        base = configHome;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home != nullptr ? home : "") + "/.config";
    }
    return base + "/quillbey";
}

std::string CFileSystem::LegacySettingsPath() {
    return {}; // only Windows programs kept their settings in the system's folder
}

std::string CFileSystem::LegacyTextToUtf8(std::string_view text) {
    return std::string(text);
}

std::string CFileSystem::ErrorText(int code) {
    char buffer[256];
    // The GNU strerror_r returns its text rather than filling the buffer.
    return ::strerror_r(code, buffer, sizeof buffer);
}
