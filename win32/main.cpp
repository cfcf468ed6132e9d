// quillbey.exe: the desktop program on Windows. `quillbey.exe [FOLDER]`
// opens the dialog, showing and scanning FOLDER when one is given.
#include "CQuillbeyApp.h"
#include "WideText.h"

#include <windows.h>

#include <shellapi.h>

#include <memory>

namespace {

// The folder named on the command line, made absolute: it is stored at close,
// and a relative path would mean something else in the next run.
std::optional<std::string> StartFolder() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> arguments(
        CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    if (!arguments || count < 2) {
        return std::nullopt;
    }
    std::wstring folder = arguments.get()[1];
    // A quoted drive root, "C:\", arrives as C:" (a backslash before a quote
    // escapes it), and no path ends in a quote.
    if (!folder.empty() && folder.back() == L'"') {
        folder.back() = L'\\';
    }
    const DWORD length = GetFullPathNameW(folder.c_str(), 0, nullptr, nullptr);
    if (length == 0) {
        return WideToUtf8(folder);
    }
    std::wstring absolute(length, L'\0');
    absolute.resize(GetFullPathNameW(folder.c_str(), length, absolute.data(), nullptr));
    return WideToUtf8(absolute);
}

} // namespace

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
    CQuillbeyApp app(StartFolder());
    app.InitInstance();
    return 0;
}
