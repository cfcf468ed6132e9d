// Recursive lstat of a folder tree; on Windows, a recursive folder search,
// whose records give the same without opening anything.
#include "TreeSnapshot.h"

#include <memory>
#include <stdexcept>
#include <vector>
#ifdef _WIN32
#include "TempDir.h"
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace testing_support {

namespace {

#ifdef _WIN32

struct FindCloser {
    void operator()(HANDLE find) const { FindClose(find); }
};

FileState StateOf(const WIN32_FILE_ATTRIBUTE_DATA& data) {
    const auto join = [](DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; };
    return {
        data.dwFileAttributes, join(data.nFileSizeHigh, data.nFileSizeLow),
        static_cast<std::int64_t>(
            join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime) * 100),
        ""};
}

void AddTree(const std::string& root, const std::string& relative, TreeSnapshot& snapshot) {
    const std::wstring path = NativePath(relative.empty() ? root : root + "\\" + relative);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        throw std::runtime_error("cannot look at " + root + "\\" + relative);
    }
    snapshot[relative] = StateOf(data);
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return;
    }
    WIN32_FIND_DATAW found{};
    const HANDLE handle = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (handle == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot list " + root + "\\" + relative);
    }
    const std::unique_ptr<void, FindCloser> find(handle);
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            const std::u8string utf8 = std::filesystem::path(name).u8string();
            const std::string item(utf8.begin(), utf8.end());
            AddTree(root, relative.empty() ? item : relative + "\\" + item, snapshot);
        }
    } while (FindNextFileW(find.get(), &found));
}

#else

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
}

FileState StateOf(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        throw std::runtime_error("cannot lstat " + path);
    }
    FileState state;
    state.mode = info.st_mode;
    state.size = static_cast<std::uint64_t>(info.st_size);
    state.mtimeNs =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    if (S_ISLNK(info.st_mode)) {
        std::vector<char> target(4096);
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length >= 0) {
            state.linkTarget.assign(target.data(), static_cast<std::size_t>(length));
        }
    }
    return state;
}

void AddTree(const std::string& root, const std::string& relative, TreeSnapshot& snapshot) {
    const std::string path = relative.empty() ? root : root + "/" + relative;
    const FileState state = StateOf(path);
    snapshot[relative] = state;
    if (!S_ISDIR(state.mode)) {
        return;
    }
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
    if (!dir) {
        throw std::runtime_error("cannot list " + path);
    }
    while (const dirent* item = ::readdir(dir.get())) {
        const std::string name = item->d_name;
        if (name != "." && name != "..") {
            AddTree(root, JoinPath(relative, name), snapshot);
        }
    }
}

#endif

std::string Describe(const FileState& state) {
    return "mode " + std::to_string(state.mode) + ", size " + std::to_string(state.size) +
           ", mtime " + std::to_string(state.mtimeNs) +
           (state.linkTarget.empty() ? "" : ", -> " + state.linkTarget);
}

} // namespace

TreeSnapshot SnapshotTree(const std::string& root) {
    TreeSnapshot snapshot;
    AddTree(root, "", snapshot);
    return snapshot;
}

std::string DescribeChanges(const TreeSnapshot& before, const TreeSnapshot& after) {
    std::string changes;
    for (const auto& [path, state] : before) {
        const auto found = after.find(path);
        if (found == after.end()) {
            changes += "removed: '" + path + "'\n";
        } else if (!(found->second == state)) {
            changes += "changed: '" + path + "' from " + Describe(state) + " to " +
                       Describe(found->second) + "\n";
        }
    }
    for (const auto& [path, state] : after) {
        if (before.find(path) == before.end()) {
            changes += "added: '" + path + "' (" + Describe(state) + ")\n";
        }
    }
    return changes;
}

} // namespace testing_support
