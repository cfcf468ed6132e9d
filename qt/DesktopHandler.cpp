// Default application lookup after the freedesktop.org MIME applications
// associations and desktop entry rules.
#include "DesktopHandler.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string_view Trim(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::vector<std::string> SplitList(std::string_view text, char separator) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        const std::string_view item = Trim(text.substr(start, end - start));
        if (!item.empty()) {
            items.emplace_back(item);
        }
        start = end + 1;
    }
    return items;
}

// The raw value of `key` in `group`, the first one when it is repeated.
std::optional<std::string_view> FindIniValue(std::string_view text, std::string_view group,
                                             std::string_view key) {
    bool inGroup = false;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            inGroup =
                line.size() >= 2 && line.back() == ']' && line.substr(1, line.size() - 2) == group;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (inGroup && equals != std::string_view::npos && Trim(line.substr(0, equals)) == key) {
            return Trim(line.substr(equals + 1));
        }
    }
    return std::nullopt;
}

std::string UnescapeDesktopValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[i + 1]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            // Not a value escape: kept for the Exec quoting rules (\" and the like).
            out += value[i];
            out += value[i + 1];
            break;
        }
        ++i;
    }
    return out;
}

// Whole contents of a regular file; nullopt when there is none (a FIFO or a
// device under a familiar name would otherwise block or never end).
std::optional<std::string> ReadSmallFile(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

// $name split at colons, or `fallback` when it is unset or empty.
std::vector<std::string> EnvironmentList(const char* name, std::string_view fallback) {
    std::vector<std::string> items = SplitList(EnvironmentValue(name), ':');
    return items.empty() ? SplitList(fallback, ':') : items;
}

// The mimeapps.list files in the order they are consulted.
std::vector<fs::path> MimeAppsLists(const XdgDirs& dirs) {
    std::vector<fs::path> lists;
    const auto addFolder = [&](const fs::path& folder) {
        for (const std::string& desktop : dirs.desktops) {
            lists.push_back(folder / (desktop + "-mimeapps.list"));
        }
        lists.push_back(folder / "mimeapps.list");
    };
    for (const std::string& configDir : dirs.configDirs) {
        addFolder(configDir);
    }
    for (const std::string& dataDir : dirs.dataDirs) {
        addFolder(fs::path(dataDir) / "applications");
    }
    return lists;
}

// The Exec= value of an installed application, looked up by desktop file ID.
std::optional<std::string> InstalledApplicationExec(const XdgDirs& dirs,
                                                    const std::string& desktopId) {
    if (desktopId.find('/') != std::string::npos) {
        return std::nullopt;
    }
    for (const std::string& dataDir : dirs.dataDirs) {
        if (const auto text = ReadSmallFile(fs::path(dataDir) / "applications" / desktopId)) {
            return DesktopEntryExec(*text);
        }
    }
    return std::nullopt;
}

std::optional<std::string> FirstInstalledExec(const XdgDirs& dirs,
                                              const std::vector<fs::path>& files,
                                              std::string_view group, std::string_view mimeType) {
    for (const fs::path& file : files) {
        const auto text = ReadSmallFile(file);
        if (!text) {
            continue;
        }
        for (const std::string& desktopId : ListedDesktopIds(*text, group, mimeType)) {
            if (auto exec = InstalledApplicationExec(dirs, desktopId)) {
                return exec;
            }
        }
    }
    return std::nullopt;
}

} // namespace

XdgDirs XdgDirsFromEnvironment() {
    const std::string home = EnvironmentValue("HOME");
    XdgDirs dirs;
    dirs.configDirs = EnvironmentList("XDG_CONFIG_HOME", home + "/.config");
    for (std::string& dir : EnvironmentList("XDG_CONFIG_DIRS", "/etc/xdg")) {
        dirs.configDirs.push_back(std::move(dir));
    }
    dirs.dataDirs = EnvironmentList("XDG_DATA_HOME", home + "/.local/share");
    for (std::string& dir : EnvironmentList("XDG_DATA_DIRS", "/usr/local/share:/usr/share")) {
        dirs.dataDirs.push_back(std::move(dir));
    }
    for (std::string desktop : EnvironmentList("XDG_CURRENT_DESKTOP", "")) {
        std::transform(desktop.begin(), desktop.end(), desktop.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        dirs.desktops.push_back(std::move(desktop));
    }
    return dirs;
}

std::vector<std::string> ListedDesktopIds(std::string_view iniText, std::string_view group,
                                          std::string_view key) {
    const auto value = FindIniValue(iniText, group, key);
    return value ? SplitList(*value, ';') : std::vector<std::string>();
}

std::optional<std::string> DesktopEntryExec(std::string_view desktopFileText) {
    const auto value = FindIniValue(desktopFileText, "Desktop Entry", "Exec");
    if (!value || value->empty()) {
        return std::nullopt;
    }
    return UnescapeDesktopValue(*value);
}

std::optional<std::string> FindDefaultHandlerExec(const XdgDirs& dirs, std::string_view mimeType) {
    const std::vector<fs::path> lists = MimeAppsLists(dirs);
    if (auto exec = FirstInstalledExec(dirs, lists, "Default Applications", mimeType)) {
        return exec;
    }
    if (auto exec = FirstInstalledExec(dirs, lists, "Added Associations", mimeType)) {
        return exec;
    }
    std::vector<fs::path> caches;
    for (const std::string& dataDir : dirs.dataDirs) {
        caches.push_back(fs::path(dataDir) / "applications" / "mimeinfo.cache");
    }
    return FirstInstalledExec(dirs, caches, "MIME Cache", mimeType);
}
