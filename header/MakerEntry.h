// One row of the maker code table, and the table itself.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct MakerEntry {
    MakerEntry(std::uint32_t makerCode, std::string makerName)
        : code(makerCode), name(std::move(makerName)) {}

    std::uint32_t code; // first character * 256 + second, as GetMakerCode() yields it
    std::string name;   // 8-bit Windows-1252 text
};

inline constexpr std::size_t kMakerTableSize = 157;

// Built once at start-up, read-only afterwards.
extern const std::array<MakerEntry, kMakerTableSize> g_makerTable;
