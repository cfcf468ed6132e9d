// What the program's command line asks of the dialog at start.
#pragma once

#include <optional>
#include <string>

struct QuillbeyStart {
    // A folder to show and scan instead of the stored one.
    std::optional<std::string> folder;
    // A DAT file to load instead of the stored one (--dat FILE).
    std::optional<std::string> datFile;
};
