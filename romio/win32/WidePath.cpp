// UTF-8 and UTF-16 at the system boundary, extended-length paths and the
// reserved device names.
#include "WidePath.h"

#include "romio/AsciiCase.h"

#include <array>
#include <windows.h>

namespace {

template <typename Char> bool IsSlash(Char c) {
    return c == Char('\\') || c == Char('/');
}

// Where the last component of `path` starts: after its last separator, or
// after the colon of a drive-relative path ("C:x.gba").
std::size_t LastComponentOf(std::wstring_view path) {
    const auto slash = path.find_last_of(L"\\/");
    if (slash != std::wstring_view::npos) {
        return slash + 1;
    }
    return path.size() >= 2 && path[1] == L':' ? 2 : 0;
}

std::wstring FullPath(const std::wstring& path) {
    return FilledWideString([&](wchar_t* buffer, unsigned long size) {
        return GetFullPathNameW(path.c_str(), size, buffer, nullptr);
    });
}

// The base name Windows compares against the device names: up to the first
// "." or ":", without the spaces before it.
std::string_view DeviceBaseName(std::string_view name) {
    name = name.substr(0, name.find_first_of(".:"));
    while (!name.empty() && name.back() == ' ') {
        name.remove_suffix(1);
    }
    return name;
}

bool IsNumberedDevice(std::string_view base) {
    if (!EqualsIgnoringAsciiCase(base.substr(0, 3), "COM") &&
        !EqualsIgnoringAsciiCase(base.substr(0, 3), "LPT")) {
        return false;
    }
    const std::string_view number = base.substr(std::min<std::size_t>(base.size(), 3));
    // Digits 1-9, or the superscripts one to three (U+00B9, U+00B2, U+00B3).
    return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

// A path in the device namespace: "\\.\" anything, or "\\?\" anything but
// a drive, a share or a volume ("\\?\pipe\x" is a pipe, "\\?\COM1" a port).
bool IsDeviceNamespace(std::string_view path) {
    if (path.size() < 4 || !IsSlash(path[0]) || !IsSlash(path[1]) || !IsSlash(path[3])) {
        return false;
    }
    if (path[2] == '.') {
        return true;
    }
    const std::string_view rest = path.substr(4);
    const bool drive = rest.size() >= 3 && rest[1] == ':' && IsSlash(rest[2]);
    return path[2] == '?' && !drive && !EqualsIgnoringAsciiCase(rest.substr(0, 4), "UNC\\") &&
           !EqualsIgnoringAsciiCase(rest.substr(0, 7), "Volume{");
}

} // namespace

std::wstring WideFromUtf8(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string Utf8FromWide(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    std::string utf8(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), size,
                                                                  nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), static_cast<int>(utf8.size()),
                        nullptr, nullptr);
    return utf8;
}

std::wstring ExtendedLengthPath(std::string_view path) {
    std::wstring wide = WideFromUtf8(path);
    if (wide.starts_with(LR"(\\?\)")) {
        return wide;
    }
    // Only the folder part goes through the system's path rules ("..", ".",
    // separators); they would also strip trailing dots and spaces from the
    // last component, which belong to a listed name.
    const std::size_t last = LastComponentOf(wide);
    const std::wstring_view name = std::wstring_view(wide).substr(last);
    std::wstring full;
    if (name.empty() || name == L"." || name == L"..") {
        full = FullPath(wide);
    } else {
        full = FullPath(last == 0 ? std::wstring(L".") : wide.substr(0, last));
        if (!full.empty() && !IsSlash(full.back())) {
            full += L'\\';
        }
        full += name;
    }
    if (full.starts_with(LR"(\\?\)") || full.starts_with(LR"(\\.\)")) {
        return full;
    }
    if (full.starts_with(LR"(\\)")) {
        return LR"(\\?\UNC\)" + full.substr(2);
    }
    return LR"(\\?\)" + full;
}

bool IsDevicePath(std::string_view path) {
    if (IsDeviceNamespace(path)) {
        return true;
    }
    const auto slash = path.find_last_of("\\/");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (slash == std::string_view::npos && name.size() >= 2 && name[1] == ':') {
        name.remove_prefix(2);
    }
    // Trailing dots and spaces of the whole name go first ("CON. " is CON).
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
        name.remove_suffix(1);
    }
    const std::string_view base = DeviceBaseName(name);
    static constexpr std::array<std::string_view, 6> kNamed = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
    for (const std::string_view device : kNamed) {
        if (EqualsIgnoringAsciiCase(base, device)) {
            return true;
        }
    }
    return IsNumberedDevice(base);
}
