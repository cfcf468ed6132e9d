// The name order used for folder listings and for sorting rows: ASCII letters
// folded to upper case, then bytes compared as unsigned values.
#pragma once

#include <string_view>

// Negative, zero or positive as `a` sorts before, with or after `b`.
int CompareUpperCased(std::string_view a, std::string_view b);
