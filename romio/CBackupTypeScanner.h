// Finds which save memory an image's game uses, the way emulators tell: the
// save library linked into the game leaves its id string in the image, such
// as "FLASH1M_V103", at an offset that is a multiple of 4. The markers are
// EEPROM_V, SRAM_V, SRAM_F_V, FLASH_V, FLASH512_V and FLASH1M_V; an id is a
// marker and the (up to) three digits of its version that follow it, as
// emulators accept the marker alone. The image is fed in the pieces
// it is read in, and an id split between two pieces is still found.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class CBackupTypeScanner {
public:
    // The longest id: "FLASH512_V" and three digits.
    static constexpr std::size_t kLongestId = 13;

    // Takes the next bytes of the image; the first call starts at offset 0.
    // Once an id is found the rest is passed over.
    void Feed(std::span<const std::uint8_t> bytes);
    // Judges the last few bytes, where only a short id still fits: call once
    // after the last Feed().
    void Finish();
    // The first id found (lowest offset), e.g. "EEPROM_V124"; "" when none.
    const std::string& GetBackupType() const { return m_strFound; }
    bool HasFound() const { return !m_strFound.empty(); }
    // Ready for another image.
    void Reset();

private:
    // Judges the ids that may start at `first`, `first + 4`... of `bytes`
    // (`first` lies at an offset that is a multiple of 4) while `kLongestId`
    // bytes follow them, or any number of bytes when `toTheEnd`. Returns the
    // first position left unjudged, or bytes.size() or more.
    std::size_t Judge(std::span<const std::uint8_t> bytes, std::size_t first, bool toTheEnd);
    // Sets the id when one starts at bytes[0]; false otherwise.
    bool MatchAt(std::span<const std::uint8_t> bytes);
    // Keeps bytes[from..] for the next piece (fewer than kLongestId of them).
    void Keep(std::span<const std::uint8_t> bytes, std::size_t from);

    std::uint64_t m_offset = 0; // of the next byte fed
    // The bytes at the end of the data fed so far whose ids could not yet be
    // judged; they start at an offset that is a multiple of 4.
    std::array<std::uint8_t, 2 * kLongestId> m_tail{};
    std::size_t m_nTail = 0;
    std::string m_strFound;
};
