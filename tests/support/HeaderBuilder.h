// Builds cartridge headers byte by byte for the tests.
#pragma once

#include "header/CartridgeHeader.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// The boot logo as published for the cartridge header, kept apart from the
// program's own copy so that a typo in either shows.
extern const std::array<std::uint8_t, 156> kPublishedLogo;

struct HeaderFields {
    std::string title = "QB TEST"; // at most 12 bytes, zero padded
    std::string gameCode = "AQBE"; // 4 bytes
    std::string maker = "01";      // 2 bytes
    std::uint8_t fixedValue = 0x96;
    std::uint8_t unitCode = 0x00;
    std::uint8_t deviceType = 0x00;
    std::uint8_t version = 0x00;
    bool logoIntact = true;
    bool complementRight = true;
};

// A header with the fields set and, unless asked otherwise, the logo and the
// complement right.
CartridgeHeader BuildHeader(const HeaderFields& fields = {});

// The complement the bytes 0xA0-0xBC call for, computed independently.
std::uint8_t ReferenceComplement(const CartridgeHeader& header);

// A whole image: the header followed by `totalSize - 512` filler bytes (or
// the header cut short when `totalSize` is under 512).
std::vector<std::uint8_t> BuildImage(const CartridgeHeader& header, std::size_t totalSize);

} // namespace testing_support
