// The first 512 bytes of a Game Boy Advance ROM image and the offsets of the
// cartridge header fields inside them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

using CartridgeHeader = std::array<std::uint8_t, 512>;

namespace HeaderOffset {
inline constexpr std::size_t LogoFirst = 0x04;
inline constexpr std::size_t LogoLast = 0x9F;
inline constexpr std::size_t NameFirst = 0xA0; // also the start of the information block
inline constexpr std::size_t NameLast = 0xAB;
inline constexpr std::size_t GameCode = 0xAC; // four characters, the last names the region
inline constexpr std::size_t MakerHigh = 0xB0;
inline constexpr std::size_t MakerLow = 0xB1;
inline constexpr std::size_t FixedValue = 0xB2;
inline constexpr std::size_t MainUnitCode = 0xB3;
inline constexpr std::size_t DeviceType = 0xB4;
inline constexpr std::size_t Version = 0xBC;
inline constexpr std::size_t Complement = 0xBD;
inline constexpr std::size_t InfoBlockLength = 32; // 0xA0..0xBF
} // namespace HeaderOffset

inline constexpr std::uint8_t kFixedHeaderValue = 0x96;
