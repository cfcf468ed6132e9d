// The program's settings file: an INI text file of sections and key=value
// lines, read the way private profile files are read, and rewritten so that
// every line but the one set stays as it was, byte for byte (comments, blank
// lines, unknown keys, CRLF line ends, trailing spaces, order). Reading never
// fails the program: a file that is not a text file reads as having no
// settings. Writing replaces the file atomically.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CProfileIni {
public:
    // Files larger than this are not settings files; they read as empty.
    static constexpr std::size_t kMaxFileSize = 1 << 20;

    explicit CProfileIni(std::string path);

    // Reads the file. A missing, unreadable, binary or oversized file leaves
    // the profile empty; returns false then (nothing else changes).
    bool Read();
    // The value of `key` in `section`, or nullopt when absent. Names match
    // without regard to ASCII case, blanks around "=" do not count, and a
    // value in matching double quotes is given without them.
    std::optional<std::string> GetString(std::string_view section, std::string_view key) const;
    // Sets the value in place, or adds the key at the end of its section (or
    // a new section at the end of the file).
    void SetString(std::string_view section, std::string_view key, std::string_view value);
    // Writes the whole profile atomically, creating the folder when needed.
    // Returns 0, or the error code of the failure (the old file then stays).
    int Write() const;

    const std::string& GetPath() const { return m_strPath; }

    // quillbey.ini in the user's settings folder.
    static std::string DefaultPath();

private:
    struct Line {
        std::string text;           // the line as it stands, without its line end
        std::string end;            // "\r\n", "\n", or "" for a last line without one
        std::string section;        // the section the line belongs to ("" before the first)
        std::string key;            // for key=value lines, the key without blanks; else ""
        std::size_t valueStart = 0; // where the value begins in `text`
        bool isHeader = false;
    };

    // The line holding `key` in `section`, or nullptr.
    Line* FindKey(std::string_view section, std::string_view key);
    const Line* FindKey(std::string_view section, std::string_view key) const;
    // The line end this file uses ("\n" for a new file).
    std::string LineEnd() const;

    std::vector<Line> m_lines;
    std::string m_strPath;
};
