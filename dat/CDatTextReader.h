// Reads the clrmamepro text form of a DAT:
//   clrmamepro ( name "..." version ... )
//   game ( name "..." rom ( name "..." size 123 crc 89ABCDEF md5 ... sha1 ...
//                           serial "..." flags verified ) )
// Values are quoted or bare; "crc32" stands for "crc", "status" for "flags".
// Blocks it does not know ("emulator", a game's "disk", ...) are skipped
// whole; faults name their line.
#pragma once

#include "CDatTokenizer.h"

#include <cstddef>
#include <string_view>

class CDatBuilder;
struct RawDatRom;

class CDatTextReader {
public:
    // Reads `text` into `builder`; false on a fault, which the builder holds.
    static bool Read(std::string_view text, CDatBuilder& builder);

private:
    // One "key value" or "key (" inside a block.
    struct Field {
        DatToken key;
        DatToken value; // Open for a block, whose content follows
    };
    enum class Step : std::uint8_t { Field, Closed, Fault };

    CDatTextReader(std::string_view text, CDatBuilder& builder)
        : m_tokens(text), m_builder(builder) {}

    bool ReadBlocks();
    bool ReadHeader(std::size_t line);
    bool ReadGame(std::size_t line);
    bool ReadRom(std::size_t line, RawDatRom& rom);
    bool SkipBlock(std::size_t line);
    // The next field of the block opened on `openLine`, or its end.
    Step NextField(std::size_t openLine, Field& field);
    bool FailOnToken(const DatToken& token, std::size_t openLine, std::string_view expected);

    CDatTokenizer m_tokens;
    CDatBuilder& m_builder;
};
