// Hand-made raw deflate streams for ZIP fixtures that no compressor would
// produce: streams that inflate to far more than they weigh, and streams that
// break at a chosen point. Only stored and fixed-Huffman blocks are written.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace testing_support {

class DeflateWriter {
public:
    // A stored block holding `bytes` (at most 65,535 of them).
    void StoredBlock(std::span<const std::uint8_t> bytes, bool final);

    // Starts a block with the fixed Huffman codes; end it with EndBlock().
    void BeginFixedBlock(bool final);
    void Literal(std::uint8_t byte);
    void Literals(std::span<const std::uint8_t> bytes);
    // A back-reference: `length` 3-258 bytes from `distance` 1-32768 back.
    void Match(unsigned length, unsigned distance);
    // `count` identical back-references, written without per-match overhead.
    void RepeatMatch(unsigned length, unsigned distance, std::uint64_t count);
    void EndBlock();

    // A block header of the reserved type 3, which every inflater refuses.
    void InvalidBlock();

    // The whole bytes written so far, removed from the writer (for streaming
    // a large stream out in pieces).
    std::vector<std::uint8_t> TakeBytes();
    // Everything left, the last byte padded with zero bits.
    std::vector<std::uint8_t> Finish();

private:
    // `count` bits of `value`, least significant first (deflate's header fields).
    void PutBits(std::uint64_t value, unsigned count);
    // A Huffman code of `length` bits, most significant first.
    void PutCode(unsigned code, unsigned length);
    // The bits of one match, least significant first; `count` receives their number.
    static std::uint64_t MatchBits(unsigned length, unsigned distance, unsigned& count);
    void AlignToByte();

    std::vector<std::uint8_t> m_bytes;
    std::uint64_t m_bits = 0;
    unsigned m_nBits = 0;
};

} // namespace testing_support
