// A fresh folder under the system's temp dir, removed with its contents when
// the object goes away; plus small file helpers for building fixtures. Paths
// are the program's: UTF-8, joined with the platform's separator.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace testing_support {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    // Path of `name` inside the folder.
    std::string operator/(const std::string& name) const;

    // Writes `bytes` to `name` (inside the folder) and returns the full path.
    std::string WriteFile(const std::string& name, std::span<const std::uint8_t> bytes) const;
    std::string WriteText(const std::string& name, const std::string& text) const;
    std::string MakeSubdir(const std::string& name) const;

private:
    std::string m_path;
};

std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

// A program path (UTF-8) for the standard library's file calls. On Windows it
// is the exact name, with the \\?\ prefix, so that fixtures can hold names
// Windows itself refuses to make (CON.gba, "x.gba.").
std::filesystem::path NativePath(const std::string& path);

} // namespace testing_support
