// Temporary folders for fixtures.
#include "TempDir.h"

#include "romio/CFileSystem.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

namespace testing_support {

namespace {

std::string Utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace

std::filesystem::path NativePath(const std::string& path) {
#ifdef _WIN32
    std::string exact = path;
    std::replace(exact.begin(), exact.end(), '/', '\\');
    if (exact.size() > 2 && exact[1] == ':' && exact[2] == '\\') {
        exact = "\\\\?\\" + exact;
    }
    return std::filesystem::path(std::u8string(exact.begin(), exact.end()));
#else
    return path;
#endif
}

TempDir::TempDir() {
    // create_directory makes the folder only when nobody has it yet.
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        const std::filesystem::path candidate =
            base / ("quillbey-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = Utf8Of(candidate);
        }
    }
    if (m_path.empty()) {
        throw std::runtime_error("cannot make a temporary folder");
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    const std::filesystem::path root = NativePath(m_path);
    // Make everything writable first, so tests that drop permissions clean up too.
    for (auto it = std::filesystem::recursive_directory_iterator(
             root, std::filesystem::directory_options::skip_permission_denied, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (!it->is_symlink(ignored)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
    }
    std::filesystem::remove_all(root, ignored);
}

std::string TempDir::operator/(const std::string& name) const {
    return m_path + CFileSystem::kSeparator + name;
}

std::string TempDir::WriteFile(const std::string& name, std::span<const std::uint8_t> bytes) const {
    const std::string path = *this / name;
    std::ofstream out(NativePath(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
    return path;
}

std::string TempDir::WriteText(const std::string& name, const std::string& text) const {
    return WriteFile(name,
                     std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string TempDir::MakeSubdir(const std::string& name) const {
    const std::string path = *this / name;
    std::filesystem::create_directories(NativePath(path));
    return path;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(NativePath(path), std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

} // namespace testing_support
