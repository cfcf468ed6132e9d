// The traditional PKWARE encryption of ZIP entries, for fixtures of
// encrypted entries whose stored bytes the test controls (minizip as packaged
// here cannot decrypt, so no reader in the program ever sees the plain data).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace testing_support {

// The stored bytes of an encrypted entry: the 12-byte encryption header
// (its last byte the high byte of `crc`, as the format checks) followed by
// `data` (already compressed, if it is to be) enciphered with `password`. The
// header is chosen so that the first stored byte is `firstStoredByte`.
std::vector<std::uint8_t> EncryptForZip(std::string_view password, std::uint32_t crc,
                                        std::span<const std::uint8_t> data,
                                        std::uint8_t firstStoredByte);

} // namespace testing_support
