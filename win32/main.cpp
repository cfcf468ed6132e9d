// quillbey.exe: the desktop program on Windows. `quillbey.exe [--dat FILE]
// [FOLDER]` opens the dialog, showing and scanning FOLDER when one is given,
// and checking the images against the DAT FILE.
#include "CQuillbeyApp.h"
#include "WideText.h"

#include <windows.h>

#include <shellapi.h>

#include <memory>

namespace {

// A path named on the command line, made absolute: it is stored at close,
// and a relative path would mean something else in the next run.
std::string AbsolutePath(std::wstring path) {
    // A quoted drive root, "C:\", arrives as C:" (a backslash before a quote
    // escapes it), and no path ends in a quote.
    if (!path.empty() && path.back() == L'"') {
        path.back() = L'\\';
    }
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) {
        return WideToUtf8(path);
    }
    std::wstring absolute(length, L'\0');
    absolute.resize(GetFullPathNameW(path.c_str(), length, absolute.data(), nullptr));
    return WideToUtf8(absolute);
}

QuillbeyStart StartArguments() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> arguments(
        CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    QuillbeyStart start;
    for (int i = 1; arguments && i < count; ++i) {
        const std::wstring argument = arguments.get()[i];
        if (argument == L"--dat" && i + 1 < count) {
            start.datFile = AbsolutePath(arguments.get()[++i]);
        } else if (!start.folder) {
            start.folder = AbsolutePath(argument);
        }
    }
    return start;
}

} // namespace

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
    CQuillbeyApp app(StartArguments());
    app.InitInstance();
    return 0;
}
