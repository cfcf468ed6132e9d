// Reading and writing the last folder and DAT file.
#include "FolderSetting.h"

#include "CProfileIni.h"
#include "TextConversion.h"
#include "romio/CFileSystem.h"

#include <optional>

namespace {

constexpr const char* kSettingsSection = "Settings";
constexpr const char* kLastDirectoryKey = "Last Directory";
constexpr const char* kDatFileKey = "DAT File";

std::optional<std::string> ReadFrom(const std::string& path, const char* key = kLastDirectoryKey) {
    CProfileIni profile(path);
    profile.Read();
    return profile.GetString(kSettingsSection, key);
}

} // namespace

StoredFolder ReadFolderSetting(const std::string& path, const std::string& legacyPath) {
    if (std::optional<std::string> folder = ReadFrom(path)) {
        return {std::move(*folder), false};
    }
    if (!legacyPath.empty()) {
        if (std::optional<std::string> folder = ReadFrom(legacyPath)) {
            // Older versions wrote that file in the system's code page.
            return {IsValidUtf8(*folder) ? std::move(*folder)
                                         : CFileSystem::LegacyTextToUtf8(*folder),
                    true};
        }
    }
    return {};
}

std::optional<std::string> ReadDatFileSetting(const std::string& path) {
    return ReadFrom(path, kDatFileKey);
}

int WriteFolderSetting(const std::string& path, std::string_view folder,
                       std::optional<std::string_view> datFile) {
    CProfileIni profile(path);
    profile.Read();
    profile.SetString(kSettingsSection, kLastDirectoryKey, folder);
    if (datFile) {
        profile.SetString(kSettingsSection, kDatFileKey, *datFile);
    }
    return profile.Write();
}
