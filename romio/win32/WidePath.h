// The Windows file layer's side of the system boundary: names are UTF-8 in
// the program and UTF-16 in the system's wide calls, and a path reaches those
// calls absolute and with the \\?\ prefix, so that neither MAX_PATH nor the
// old DOS rules (device names, trailing dots and spaces) apply to it.
#pragma once

#include <string>
#include <string_view>

std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

// `path` as the wide file calls take it: made absolute against the current
// folder, separators turned into '\', and "\\?\" (or "\\?\UNC\" for a share)
// put in front. The last component is kept as it stands, so that a name a
// listing gave ("x.gba." or "x.gba ") still names that file.
std::wstring ExtendedLengthPath(std::string_view path);

// True when Windows takes `path` for a device rather than a file: a path in
// the device namespace (\\.\) or one whose last component is a reserved name
// (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9, LPT1-9 and COM or LPT with a
// superscript digit), whatever its case, extension and trailing dots or spaces.
bool IsDevicePath(std::string_view path);

// The length a wide call needs for its buffer, from a call that reports it:
// `fill(buffer, size)` returns the characters written, or the size needed
// when the buffer is too small (as GetFullPathNameW and its kind do); 0 fails.
template <typename Fill> std::wstring FilledWideString(Fill fill) {
    std::wstring text(260, L'\0');
    while (true) {
        const auto size = static_cast<unsigned long>(text.size());
        const unsigned long length = fill(text.data(), size);
        if (length < size) {
            text.resize(length);
            return text;
        }
        text.resize(length);
    }
}
