// Turning the program's 8-bit texts into UTF-8 for the screen, the clipboard
// and the command line. Header texts and maker names are Windows-1252; file
// and entry names are kept as they are when already valid UTF-8.
#pragma once

#include <string>
#include <string_view>

// Each byte read as Windows-1252 (0x81, 0x8D, 0x8F, 0x90, 0x9D as U+0081 etc.).
std::string Cp1252ToUtf8(std::string_view text);
// The same, appended to `out` (for output written in one buffer).
void AppendCp1252AsUtf8(std::string& out, std::string_view text);

bool IsValidUtf8(std::string_view text);

// `name` unchanged when it is valid UTF-8, otherwise read as Windows-1252.
std::string FileNameToUtf8(std::string_view name);

// A path converted one component at a time, so that one odd name does not
// change how the folders around it read.
std::string PathToUtf8(std::string_view path);

// The same three conversions without a copy for text that needs none (the
// usual case); other text is converted into `scratch`, which the result then
// views. For output written row by row, `scratch` reused from row to row.
std::string_view Cp1252AsUtf8(std::string_view text, std::string& scratch);
std::string_view FileNameAsUtf8(std::string_view name, std::string& scratch);
std::string_view PathAsUtf8(std::string_view path, std::string& scratch);
