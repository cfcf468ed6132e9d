// The settings the program keeps between runs: the last folder, as "Last
// Directory" in the [Settings] section of the user's settings file, and
// beside it the DAT file last loaded, as "DAT File".
// Older versions kept it in a file of their own (on Windows, an INI file in
// the Windows directory, which current systems no longer let a program
// write); that file is read only while the user's file holds no folder, so
// a folder stored there is not lost, and the next write moves it over.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct StoredFolder {
    std::string folder;      // "" when neither file holds one
    bool fromLegacy = false; // read from the older file (its text turned into UTF-8)
};

// The stored folder from `path`; when that file has no "Last Directory" (or
// cannot be read), from `legacyPath`, unless it is empty.
StoredFolder ReadFolderSetting(const std::string& path, const std::string& legacyPath = {});

// The stored DAT file from `path`; nullopt when none is stored.
std::optional<std::string> ReadDatFileSetting(const std::string& path);

// Stores `folder` in `path`, and `datFile` unless it is nullopt, every other
// line of the file kept as it was. Returns 0, or the error code of the
// failed write (the old file then stays).
int WriteFolderSetting(const std::string& path, std::string_view folder,
                       std::optional<std::string_view> datFile = std::nullopt);
