// The checks and conversions of single DAT fields that both DAT forms share:
// sizes, hashes, dump status, UTF-8 text and serials.
#pragma once

#include "DatRom.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A size in bytes: decimal digits only (no sign, no spaces), fitting 64 bits.
std::optional<std::uint64_t> ParseDatSize(std::string_view text);

// Fills `bytes` from exactly twice as many hexadecimal digits, either case;
// false (and `bytes` undefined) for anything else.
bool ParseHexBytes(std::string_view text, std::span<std::uint8_t> bytes);

// A CRC-32 as exactly 8 hexadecimal digits.
std::optional<std::uint32_t> ParseDatCrc(std::string_view text);

template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> ParseDatDigest(std::string_view text) {
    std::array<std::uint8_t, N> digest{};
    if (!ParseHexBytes(text, digest)) {
        return std::nullopt;
    }
    return digest;
}

// "good", "verified", "baddump" or "nodump", as written (lower case).
std::optional<DumpStatus> ParseDumpStatus(std::string_view text);

// True when `text` is well-formed UTF-8: no stray or missing continuation
// bytes, no overlong forms, no surrogates, nothing above U+10FFFF. (ui/ has
// its own IsValidUtf8 for the front ends; this layer sits below it.)
bool IsWellFormedUtf8(std::string_view text);

// True when `text` holds a C0 control character or DEL, which no name a DAT
// gives to a game or a file has.
bool HasControlCharacter(std::string_view text);

// The 4-character game codes a serial field names. A DAT may write a code
// bare ("BJBJ"), with the system's prefix ("AGB-BJBJ"), with a region suffix
// ("AGB-BJBJ-EUR", "BJBJ-EUR"), and several of them separated by commas.
// Codes are letters and digits; ASCII case is kept as written. A part of
// another shape names no code.
std::vector<std::string> SerialGameCodes(std::string_view serial);

// `text` for an error message: cut after 40 bytes, and every byte outside
// printable ASCII written as \xNN, so that hostile input stays readable.
std::string QuoteForMessage(std::string_view text);
