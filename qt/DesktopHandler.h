// Finding the desktop's default application for a MIME type and the command
// it is started with, by reading the freedesktop.org mimeapps.list files,
// the mimeinfo.cache files and the application's .desktop entry.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The folders the freedesktop.org lookups read, most important first.
struct XdgDirs {
    std::vector<std::string> configDirs; // $XDG_CONFIG_HOME, then $XDG_CONFIG_DIRS
    std::vector<std::string> dataDirs;   // $XDG_DATA_HOME, then $XDG_DATA_DIRS
    std::vector<std::string> desktops;   // $XDG_CURRENT_DESKTOP, lower-cased
};

// The folders named by this process's environment, with the standard defaults.
XdgDirs XdgDirsFromEnvironment();

// The desktop file IDs listed for `key` in `group` of an INI-style text
// (a mimeapps.list or mimeinfo.cache), in their order, empty items dropped.
std::vector<std::string> ListedDesktopIds(std::string_view iniText, std::string_view group,
                                          std::string_view key);

// The Exec= value of a .desktop file's [Desktop Entry] group, with the
// value escapes (\s \n \t \r \\) resolved; nullopt when there is none.
std::optional<std::string> DesktopEntryExec(std::string_view desktopFileText);

// The Exec= value of the default application for `mimeType`: the first
// installed application of the [Default Applications] lists, else of the
// [Added Associations] lists, else of the mimeinfo.cache files. nullopt when
// no application with a command is found.
std::optional<std::string> FindDefaultHandlerExec(const XdgDirs& dirs, std::string_view mimeType);
