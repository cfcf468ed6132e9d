// Text for the Windows API and back. The program's own texts are 8-bit:
// paths and file names are UTF-8, header texts and maker names
// Windows-1252 (TextConversion.h turns those into UTF-8 first).
#pragma once

#include <string>
#include <string_view>

// Invalid UTF-8 becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
