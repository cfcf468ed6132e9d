// Bit packing and the fixed Huffman code tables of the deflate format.
#include "DeflateWriter.h"

#include <array>
#include <stdexcept>

namespace testing_support {

namespace {

// Length codes 257-285: shortest length of each and its number of extra bits.
constexpr std::array<unsigned, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                  15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                  67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<unsigned, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                   2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
// Distance codes 0-29.
constexpr std::array<unsigned, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<unsigned, 30> kDistanceExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                     4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                     9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

constexpr unsigned kEndOfBlock = 256;

std::uint64_t Reversed(unsigned code, unsigned length) {
    std::uint64_t reversed = 0;
    for (unsigned i = 0; i < length; ++i) {
        reversed = (reversed << 1) | ((code >> i) & 1U);
    }
    return reversed;
}

// The fixed code of literal/length symbol `symbol`, and its length.
unsigned FixedCode(unsigned symbol, unsigned& length) {
    if (symbol <= 143) {
        length = 8;
        return 0x30 + symbol;
    }
    if (symbol <= 255) {
        length = 9;
        return 0x190 + (symbol - 144);
    }
    if (symbol <= 279) {
        length = 7;
        return symbol - 256;
    }
    length = 8;
    return 0xC0 + (symbol - 280);
}

template <std::size_t N>
std::size_t CodeIndex(const std::array<unsigned, N>& base, unsigned value) {
    std::size_t index = N - 1;
    while (base[index] > value) {
        --index;
    }
    return index;
}

} // namespace

void DeflateWriter::PutBits(std::uint64_t value, unsigned count) {
    m_bits |= value << m_nBits;
    m_nBits += count;
    while (m_nBits >= 8) {
        m_bytes.push_back(static_cast<std::uint8_t>(m_bits & 0xFF));
        m_bits >>= 8;
        m_nBits -= 8;
    }
}

void DeflateWriter::PutCode(unsigned code, unsigned length) {
    PutBits(Reversed(code, length), length);
}

void DeflateWriter::AlignToByte() {
    if (m_nBits > 0) {
        PutBits(0, 8 - m_nBits);
    }
}

void DeflateWriter::StoredBlock(std::span<const std::uint8_t> bytes, bool final) {
    if (bytes.size() > 0xFFFF) {
        throw std::invalid_argument("a stored block holds at most 65535 bytes");
    }
    PutBits(final ? 1 : 0, 1);
    PutBits(0, 2);
    AlignToByte();
    const auto length = static_cast<std::uint16_t>(bytes.size());
    PutBits(length, 16);
    PutBits(static_cast<std::uint16_t>(~length), 16);
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
}

void DeflateWriter::BeginFixedBlock(bool final) {
    PutBits(final ? 1 : 0, 1);
    PutBits(1, 2);
}

void DeflateWriter::Literal(std::uint8_t byte) {
    unsigned length = 0;
    const unsigned code = FixedCode(byte, length);
    PutCode(code, length);
}

void DeflateWriter::Literals(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        Literal(byte);
    }
}

std::uint64_t DeflateWriter::MatchBits(unsigned length, unsigned distance, unsigned& count) {
    if (length < 3 || length > 258 || distance < 1 || distance > 32768) {
        throw std::invalid_argument("match out of range");
    }
    const std::size_t lengthIndex = CodeIndex(kLengthBase, length);
    const std::size_t distanceIndex = CodeIndex(kDistanceBase, distance);
    unsigned codeLength = 0;
    const unsigned code = FixedCode(257 + static_cast<unsigned>(lengthIndex), codeLength);

    std::uint64_t bits = Reversed(code, codeLength);
    count = codeLength;
    bits |= static_cast<std::uint64_t>(length - kLengthBase[lengthIndex]) << count;
    count += kLengthExtra[lengthIndex];
    bits |= Reversed(static_cast<unsigned>(distanceIndex), 5) << count;
    count += 5;
    bits |= static_cast<std::uint64_t>(distance - kDistanceBase[distanceIndex]) << count;
    count += kDistanceExtra[distanceIndex];
    return bits;
}

void DeflateWriter::Match(unsigned length, unsigned distance) {
    RepeatMatch(length, distance, 1);
}

void DeflateWriter::RepeatMatch(unsigned length, unsigned distance, std::uint64_t count) {
    unsigned bitCount = 0;
    const std::uint64_t bits = MatchBits(length, distance, bitCount);
    m_bytes.reserve(m_bytes.size() + static_cast<std::size_t>(count * bitCount / 8 + 8));
    for (std::uint64_t i = 0; i < count; ++i) {
        PutBits(bits, bitCount);
    }
}

void DeflateWriter::EndBlock() {
    unsigned length = 0;
    const unsigned code = FixedCode(kEndOfBlock, length);
    PutCode(code, length);
}

void DeflateWriter::InvalidBlock() {
    PutBits(1, 1);
    PutBits(3, 2);
}

std::vector<std::uint8_t> DeflateWriter::TakeBytes() {
    std::vector<std::uint8_t> taken;
    taken.swap(m_bytes);
    return taken;
}

std::vector<std::uint8_t> DeflateWriter::Finish() {
    AlignToByte();
    return TakeBytes();
}

} // namespace testing_support
