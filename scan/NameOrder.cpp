// Case-folded byte comparison without copying either name.
#include "NameOrder.h"

#include "romio/AsciiCase.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

unsigned char UpperAscii(char c) {
    return static_cast<unsigned char>(ToUpperAscii(c));
}

// Index of the first byte at or after `i` where the raw bytes differ, or
// `end`. Names sorted together share long prefixes ("Advance ..."), and
// bytes that are equal are equal folded too, so they are skipped eight at a
// time.
std::size_t FirstRawDifference(const char* a, const char* b, std::size_t i, std::size_t end) {
    while (i + sizeof(std::uint64_t) <= end) {
        std::uint64_t x = 0;
        std::uint64_t y = 0;
        std::memcpy(&x, a + i, sizeof x);
        std::memcpy(&y, b + i, sizeof y);
        if (x != y) {
            break;
        }
        i += sizeof(std::uint64_t);
    }
    while (i < end && a[i] == b[i]) {
        ++i;
    }
    return i;
}

} // namespace

UpperCasedPrefix UpperCasedPrefix::Of(std::string_view name) {
    UpperCasedPrefix key;
    for (std::size_t i = 0; i < 16; ++i) {
        const unsigned char byte = i < name.size() ? UpperAscii(name[i]) : 0;
        std::uint64_t& half = i < 8 ? key.high : key.low;
        half = (half << 8) | byte;
    }
    return key;
}

int CompareUpperCased(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = FirstRawDifference(a.data(), b.data(), 0, common); i < common;
         i = FirstRawDifference(a.data(), b.data(), i + 1, common)) {
        const unsigned char x = UpperAscii(a[i]);
        const unsigned char y = UpperAscii(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}
