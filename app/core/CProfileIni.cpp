// Reading and writing the settings file.
#include "CProfileIni.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) {
                   return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

// A line a settings file may hold: text without control characters (tabs aside).
bool IsTextLine(const std::string& line) {
    return std::none_of(line.begin(), line.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t' && c != '\r') || byte == 0x7F;
    });
}

std::optional<std::string> ReadSmallFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info {};
    std::optional<std::string> content;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<std::uint64_t>(info.st_size) <= CProfileIni::kMaxFileSize) {
        std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                break;
            }
            done += static_cast<std::size_t>(got);
        }
        bytes.resize(done);
        content = std::move(bytes);
    }
    ::close(fd);
    return content;
}

bool WriteAll(int fd, const std::string& bytes) {
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

} // namespace

CProfileIni::CProfileIni(std::string path) : m_strPath(std::move(path)) {}

std::string CProfileIni::DefaultPath() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (configHome != nullptr && configHome[0] == '/') {
        base = configHome;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home != nullptr ? home : "") + "/.config";
    }
    return base + "/quillbey/quillbey.ini";
}

bool CProfileIni::Read() {
    m_lines.clear();
    const std::optional<std::string> content = ReadSmallFile(m_strPath);
    if (!content || content->find('\0') != std::string::npos) {
        return false; // missing, unreadable, oversized or binary: no settings
    }
    std::string section;
    std::size_t start = 0;
    while (start < content->size()) {
        std::size_t end = content->find('\n', start);
        if (end == std::string::npos) {
            end = content->size();
        }
        std::string text = content->substr(start, end - start);
        start = end + 1;
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        if (!IsTextLine(text)) {
            continue; // a damaged line is dropped, the rest is kept
        }
        const std::string trimmed = Trimmed(text);
        std::string key;
        const bool isHeader =
            trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']';
        if (isHeader) {
            section = Trimmed(trimmed.substr(1, trimmed.size() - 2));
        } else if (!trimmed.empty() && trimmed.front() != ';' && trimmed.front() != '#') {
            const auto equals = trimmed.find('=');
            if (equals == std::string::npos) {
                continue; // neither header, comment nor key=value
            }
            key = Trimmed(trimmed.substr(0, equals));
        }
        m_lines.push_back({std::move(text), section, std::move(key), isHeader});
    }
    return true;
}

std::optional<std::string> CProfileIni::GetString(const std::string& section,
                                                  const std::string& key) const {
    for (const Line& line : m_lines) {
        if (!line.key.empty() && SameName(line.section, section) && SameName(line.key, key)) {
            const auto equals = line.text.find('=');
            return Trimmed(line.text.substr(equals + 1));
        }
    }
    return std::nullopt;
}

void CProfileIni::SetString(const std::string& section, const std::string& key,
                            const std::string& value) {
    std::string text = key + "=" + value;
    // A value can't span lines; cut it at a line break rather than corrupt the file.
    text = text.substr(0, text.find_first_of("\r\n"));
    for (Line& line : m_lines) {
        if (!line.key.empty() && SameName(line.section, section) && SameName(line.key, key)) {
            line.text = std::move(text);
            return;
        }
    }
    // Add it after the last header or key of its section, or as a new section at the end.
    auto last = m_lines.end();
    for (auto it = m_lines.begin(); it != m_lines.end(); ++it) {
        if ((it->isHeader || !it->key.empty()) && SameName(it->section, section)) {
            last = it;
        }
    }
    if (last == m_lines.end()) {
        m_lines.push_back({"[" + section + "]", section, "", true});
        m_lines.push_back({std::move(text), section, key, false});
    } else {
        m_lines.insert(last + 1, {std::move(text), section, key, false});
    }
}

int CProfileIni::Write() const {
    std::string content;
    for (const Line& line : m_lines) {
        content += line.text;
        content += '\n';
    }
    // A settings file kept as a link to a regular file (say, in a dotfiles
    // folder) is replaced where it really lives, so the link survives. A link
    // to anything else (a device, a FIFO, nothing) is replaced itself: the
    // program never renames over what is not a settings file.
    std::error_code error;
    std::filesystem::path target(m_strPath);
    if (std::filesystem::is_symlink(target, error) &&
        std::filesystem::is_regular_file(target, error)) {
        const std::filesystem::path real = std::filesystem::canonical(target, error);
        if (!error) {
            target = real;
        }
    }
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
