// One ROM as a DAT lists it: the game it belongs to, its file name, size and
// hashes, the serial the DAT gives, how well it was dumped, and the DAT it
// came from. Text is UTF-8 as the DAT wrote it (entities and quoting undone).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

using Md5Digest = std::array<std::uint8_t, 16>;
using Sha1Digest = std::array<std::uint8_t, 20>;

// How the DAT rates the dump (XML rom@status, text "flags").
enum class DumpStatus : std::uint8_t {
    Good,     // the default when the DAT says nothing
    Verified, // a good dump that several dumps agreed on
    BadDump,  // a known bad dump: listed so that it can be recognised
    NoDump,   // no dump exists; its hashes, if any, stand for nothing
};

// What a DAT says about itself, shared by all of its ROMs.
struct DatSource {
    std::string path;        // the file it was read from (a ZIP archive's own path)
    std::string name;        // its header's name, or the file's name when it has none
    std::string version;     // its header's version, "" when it has none
    std::string description; // its header's description, "" when it has none
};

struct DatRom {
    std::string gameName;
    std::string romName;
    std::uint64_t size = 0;
    std::optional<std::uint32_t> crc32;
    std::optional<Md5Digest> md5;
    std::optional<Sha1Digest> sha1;
    std::string serial; // as written ("AGB-BJBJ-EUR", "BJBJ", ...); "" when absent
    DumpStatus status = DumpStatus::Good;
    std::shared_ptr<const DatSource> source; // set for every ROM of a loaded DAT
};
