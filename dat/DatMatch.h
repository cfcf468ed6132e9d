// What matching one image against the loaded DATs takes and gives.
#pragma once

#include "DatRom.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The facts known about one image. The CRC-32 of a plain file is unknown
// until it has been hashed; an archive entry's comes from the archive.
struct ImageFacts {
    std::uint64_t size = 0;
    std::optional<std::uint32_t> crc32{};
    std::optional<Sha1Digest> sha1{}; // when computed
    std::optional<Md5Digest> md5{};   // when computed
    // The file's name, or for an archive the entry's; only its last
    // component is compared (a path may be given).
    std::string fileName{};
    // The header's game code (4 characters at 0xAC), "" when unknown.
    std::string gameCode{};
};

enum class DatMatchStatus : std::uint8_t {
    Unchecked, // no DAT loaded, or the CRC-32 is not known yet
    Good,      // the size and CRC-32 of a good or verified ROM, and no computed hash disagrees
    BadDump,   // the same, for a ROM listed as a bad dump
    Unknown,   // no ROM of any DAT
};

// The word for a status, as the command line and the dialogs show it:
// "unchecked", "good", "baddump" or "unknown".
constexpr std::string_view DatMatchStatusWord(DatMatchStatus status) {
    switch (status) {
    case DatMatchStatus::Good:
        return "good";
    case DatMatchStatus::BadDump:
        return "baddump";
    case DatMatchStatus::Unknown:
        return "unknown";
    case DatMatchStatus::Unchecked:
        break;
    }
    return "unchecked";
}

struct DatMatch {
    DatMatchStatus status = DatMatchStatus::Unchecked;
    // The ROM matched, for Good and BadDump; points into the CDatIndex and
    // lives as long as it does. Its `source` names the DAT.
    const DatRom* rom = nullptr;
    // The file (or entry) name equals the ROM's name (last components,
    // compared exactly); false when nothing matched.
    bool nameMatches = false;
    // For Unknown: the games whose serial names the header's game code, in
    // load order, each once; empty when the DATs give no serials.
    std::vector<std::string> gamesWithGameCode;
};

// A game of a DAT that no match accounts for.
struct MissingGame {
    const DatSource* dat = nullptr; // lives as long as the index
    std::string gameName;
};
