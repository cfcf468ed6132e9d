// The standard streams on Windows: UTF-16 for a console, UTF-8 bytes for
// anything else.
#include "cli/CConsole.h"

#include "romio/win32/WidePath.h"

#include <windows.h> // before the other system headers, which build on it

#include <algorithm>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

namespace {

HANDLE HandleOf(std::FILE* stream) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

bool ConsoleMode(HANDLE handle, DWORD& mode) {
    return GetConsoleMode(handle, &mode) != 0;
}

// The console takes a limited count per call; a cut never splits a pair of
// surrogates.
bool WriteToConsole(HANDLE console, std::wstring_view text) {
    constexpr std::size_t kPiece = 8192;
    while (!text.empty()) {
        std::size_t count = std::min(text.size(), kPiece);
        if (count < text.size() && IS_HIGH_SURROGATE(text[count - 1])) {
            --count;
        }
        DWORD written = 0;
        if (!WriteConsoleW(console, text.data(), static_cast<DWORD>(count), &written, nullptr) ||
            written == 0) {
            return false;
        }
        text.remove_prefix(written);
    }
    return true;
}

} // namespace

void CConsole::Prepare() {
    // Bytes as they are: the C runtime would otherwise turn "\n" into "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The progress line clears itself with an escape sequence, which the
    // console follows once asked to (Windows 10 on).
    const HANDLE error = HandleOf(stderr);
    DWORD mode = 0;
    if (ConsoleMode(error, mode)) {
        SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
}

std::vector<std::string> CConsole::Arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(Utf8FromWide(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

void CConsole::Write(std::FILE* stream, std::string_view text) {
    const HANDLE handle = HandleOf(stream);
    DWORD mode = 0;
    if (ConsoleMode(handle, mode)) {
        std::fflush(stream); // what the stream holds goes first
        if (WriteToConsole(handle, WideFromUtf8(text))) {
            return;
        }
    }
    std::fwrite(text.data(), 1, text.size(), stream);
}

bool CConsole::ShowsProgress(std::FILE* stream) {
    DWORD mode = 0;
    return ConsoleMode(HandleOf(stream), mode) && (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}
