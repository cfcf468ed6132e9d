// Width and printable form of table cells. Both look at eight bytes at a time:
// a large folder's names are almost all ASCII.
#include "TableText.h"

#include "ByteBlocks.h"

#include <algorithm>
#include <cstdint>

using namespace byte_blocks;

namespace {

// True when the eight bytes hold a control character (below 0x20) or DEL.
bool HasControlByte(std::uint64_t block) {
    return HasByteBelow(block, 0x20) || HasByte(block, 0x7F);
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
        if (!HasHighBit(Load(text, i))) {
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
    const std::size_t i = PlainPrefix(text, HasControlByte);
    std::replace_if(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(), IsControlByte, '?');
}
