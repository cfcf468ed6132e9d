// The standard streams on POSIX systems: bytes in, bytes out.
#include "cli/CConsole.h"

#include <unistd.h>

void CConsole::Prepare() {}

std::vector<std::string> CConsole::Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

void CConsole::Write(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

bool CConsole::ShowsProgress(std::FILE* stream) {
    return ::isatty(::fileno(stream)) != 0;
}
