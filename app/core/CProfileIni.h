// The program's settings file: an INI text file of sections and key=value
// lines. Reading never fails the program (a damaged file reads as having no
// settings); writing replaces the file atomically and keeps every other
// section and key as it was.
#pragma once

#include <optional>
#include <string>
#include <vector>

class CProfileIni {
public:
    // Files larger than this are not settings files; they read as empty.
    static constexpr std::size_t kMaxFileSize = 1 << 20;

    explicit CProfileIni(std::string path);

    // Reads the file. A missing, unreadable, binary or oversized file leaves
    // the profile empty; returns false then (nothing else changes).
    bool Read();
    // The value of `key` in `section` (names compared without regard to ASCII
    // case, as profile files are), or nullopt when absent.
    std::optional<std::string> GetString(const std::string& section, const std::string& key) const;
    // Sets or adds the value; other lines keep their order and text.
    void SetString(const std::string& section, const std::string& key, const std::string& value);
    // Writes the whole profile through a temporary file and a rename, creating
    // the folder when needed. Returns 0, or the errno of the failure (the old
    // file is then left as it was).
    int Write() const;

    const std::string& GetPath() const { return m_strPath; }

    // $XDG_CONFIG_HOME/quillbey/quillbey.ini, or ~/.config/quillbey/quillbey.ini.
    static std::string DefaultPath();

private:
    struct Line {
        std::string text;    // the line as it stands in the file
        std::string section; // section the line belongs to ("" before the first header)
        std::string key;     // for key=value lines, the key; else ""
        bool isHeader = false;
    };

    std::vector<Line> m_lines;
    std::string m_strPath;
};
