// Recursive lstat of a folder tree.
#include "TreeSnapshot.h"

#include <dirent.h>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace testing_support {

namespace {

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
