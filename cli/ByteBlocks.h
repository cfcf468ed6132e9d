// Looking at text eight bytes at a time: the report writers skip the long
// plain stretches of names and header texts this way before they look at
// single bytes. Each test says whether any of the eight bytes matches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace byte_blocks {

inline constexpr std::uint64_t kEveryByte = 0x0101010101010101u;
inline constexpr std::uint64_t kHighBits = 0x8080808080808080u;

// The eight bytes of `text` from `at` on.
inline std::uint64_t Load(std::string_view text, std::size_t at) {
    std::uint64_t block = 0;
    std::memcpy(&block, text.data() + at, sizeof block);
    return block;
}

inline bool HasByte(std::uint64_t block, unsigned char byte) {
    const std::uint64_t diff = block ^ (kEveryByte * byte);
    return ((diff - kEveryByte) & ~diff & kHighBits) != 0;
}

// A byte below `limit`, which is at most 0x80.
inline bool HasByteBelow(std::uint64_t block, unsigned char limit) {
    return ((block - kEveryByte * limit) & ~block & kHighBits) != 0;
}

inline bool HasHighBit(std::uint64_t block) {
    return (block & kHighBits) != 0;
}

// Where the first block that `special` finds something in starts (or the
// last, shorter than eight bytes): every byte before it is plain.
template <typename Special> std::size_t PlainPrefix(std::string_view text, Special special) {
    std::size_t at = 0;
    while (at + sizeof(std::uint64_t) <= text.size() && !special(Load(text, at))) {
        at += sizeof(std::uint64_t);
    }
    return at;
}

} // namespace byte_blocks
