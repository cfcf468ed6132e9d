// A record of everything under a folder (type and permissions, size,
// modification time to the nanosecond, symlink target), taken without
// following symlinks, so that a test can prove a scan changed nothing.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace testing_support {

struct FileState {
    std::uint32_t mode = 0; // type and permission bits (Windows: the attributes)
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::string linkTarget; // for a symlink, what it points at

    bool operator==(const FileState&) const = default;
};

// Path relative to the root ("" for the root itself) to its state.
using TreeSnapshot = std::map<std::string, FileState>;

// Every entry under `root`, recursively (lstat; symlinks are not followed).
TreeSnapshot SnapshotTree(const std::string& root);

// What differs between two snapshots, one line per path; "" when nothing does.
std::string DescribeChanges(const TreeSnapshot& before, const TreeSnapshot& after);

} // namespace testing_support
