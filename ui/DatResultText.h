// The words every front end shows for an image's DAT result and whole-image
// hash, so that the command line, its formats and both dialogs agree.
#pragma once

#include "dat/DatMatch.h"
#include "romio/ImageHashes.h"

#include <cstdint>
#include <string>

// The status with the game: "good: Some Game (Europe)", "baddump: …",
// "unknown", "unknown image of A, B" (the games whose serial is the header's
// game code), or "unchecked".
std::string DatResultText(const DatMatch& match);
// The DAT game's name for a good or bad dump; "" otherwise.
std::string DatGameName(const DatMatch& match);
// The DAT ROM's name for a good or bad dump; "" otherwise.
std::string DatRomName(const DatMatch& match);

// Eight lower-case hex digits.
std::string HexCrc32(std::uint32_t crc32);
