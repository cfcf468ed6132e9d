// The name order used for folder listings and for sorting rows: ASCII letters
// folded to upper case, then bytes compared as unsigned values.
#pragma once

#include <cstdint>
#include <string_view>

// Negative, zero or positive as `a` sorts before, with or after `b`.
int CompareUpperCased(std::string_view a, std::string_view b);

// The first 16 bytes of a name, upper-cased as above, as two big-endian
// numbers; a shorter name is padded with zero bytes, which no file or entry
// name holds. Two keys that differ order their names as CompareUpperCased
// does, so a sort that keeps the keys beside its items looks at the names
// themselves only when the keys are equal: chasing every name through memory
// is what sorting a large folder spends its time on.
struct UpperCasedPrefix {
    std::uint64_t high = 0;
    std::uint64_t low = 0;

    static UpperCasedPrefix Of(std::string_view name);

    // Negative, zero or positive; zero says nothing beyond the first 16 bytes.
    int Compare(const UpperCasedPrefix& other) const {
        if (high != other.high) {
            return high < other.high ? -1 : 1;
        }
        if (low != other.low) {
            return low < other.low ? -1 : 1;
        }
        return 0;
    }
};
