// Width and printable form of table cells. Both look at eight bytes at a time:
// a large folder's names are almost all ASCII.
#include "TableText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint64_t kEveryByte = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

std::uint64_t Block(std::string_view text, std::size_t at) {
    std::uint64_t block = 0;
    std::memcpy(&block, text.data() + at, sizeof block);
    return block;
}

// True when the eight bytes hold a control character (below 0x20) or DEL.
bool HasControlByte(std::uint64_t block) {
    const std::uint64_t below20 = (block - kEveryByte * 0x20) & ~block & kHighBits;
    const std::uint64_t del = block ^ (kEveryByte * 0x7F);
    const std::uint64_t isDel = (del - kEveryByte) & ~del & kHighBits;
    return (below20 | isDel) != 0;
}

bool IsControlByte(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

} // namespace

// Eight ASCII bytes at a time are eight code points.
std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    std::size_t i = 0;
    for (; i + sizeof(std::uint64_t) <= text.size(); i += sizeof(std::uint64_t)) {
        if ((Block(text, i) & kHighBits) == 0) {
            width += sizeof(std::uint64_t);
            continue;
        }
        for (std::size_t k = i; k < i + sizeof(std::uint64_t); ++k) {
            width += (static_cast<unsigned char>(text[k]) & 0xC0) != 0x80;
        }
    }
    for (; i < text.size(); ++i) {
        width += (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    }
    return width;
}

void MakePrintable(std::string& text) {
    std::size_t i = 0;
    while (i + sizeof(std::uint64_t) <= text.size() && !HasControlByte(Block(text, i))) {
        i += sizeof(std::uint64_t);
    }
    std::replace_if(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(), IsControlByte, '?');
}
