// Cells of the command line's tables (a report's and verify's): their width
// on a terminal, and names made safe to print in a line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Width on a terminal, counting code points (every text here is UTF-8).
std::size_t DisplayWidth(std::string_view text);
// Control characters would break the table's lines; they show as "?".
void MakePrintable(std::string& text);
