// The command line's standard streams. Every text is UTF-8 inside the
// program. On a Windows console it is written as UTF-16 through the
// console's own call, so that every name shows whatever the console's code
// page; redirected to a file or a pipe it goes out as UTF-8 bytes with "\n"
// line ends on every platform, so that JSON stays valid and a report is the
// same file on Linux and Windows. Implemented in cli/posix and cli/win32.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

class CConsole {
public:
    // Sets the standard streams up; call once, before anything is written.
    static void Prepare();
    // The program's arguments in UTF-8 (Windows hands them over as UTF-16).
    static std::vector<std::string> Arguments(int argc, char** argv);
    // Writes `text` to `stream` (stdout or stderr); a failure shows in the
    // stream's error flag.
    static void Write(std::FILE* stream, std::string_view text);
    // True when `stream` is a terminal that can show a progress line, which
    // is rewritten in place with "\r" and the erase-line sequence.
    static bool ShowsProgress(std::FILE* stream);
};
