// The save type search: ids only at offsets that are multiples of 4, with
// the version digits that follow the marker, the first one winning, and the same
// answer however the image is cut into pieces.
#include "romio/CBackupTypeScanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// `size` filler bytes (no id can start in them) with `text` at `offset`.
std::vector<std::uint8_t> ImageWith(std::size_t size, std::size_t offset, const std::string& text) {
    std::vector<std::uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i) {
        image[i] = static_cast<std::uint8_t>(0x20 + i % 7); // spaces and punctuation
    }
    std::copy(text.begin(), text.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
    return image;
}

// Feeds `image` in pieces of the given lengths, cycled.
std::string ScanInPieces(const std::vector<std::uint8_t>& image,
                         const std::vector<std::size_t>& pieces) {
    CBackupTypeScanner scanner;
    const auto bytes = std::span(image);
    std::size_t at = 0;
    for (std::size_t piece = 0; at < bytes.size(); ++piece) {
        const std::size_t length = std::min(pieces[piece % pieces.size()], bytes.size() - at);
        scanner.Feed(bytes.subspan(at, length));
        at += length;
    }
    scanner.Finish();
    return scanner.GetBackupType();
}

std::string ScanWhole(const std::vector<std::uint8_t>& image) {
    return ScanInPieces(image, {image.size() + 1});
}

} // namespace

TEST(BackupTypeScanner, FindsTheFirstIdOnlyAtAlignedOffsetsWithItsDigits) {
    struct Case {
        std::size_t size;
        std::size_t offset;
        std::string text;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {0x400, 0x100, "EEPROM_V124", "EEPROM_V124"},
        {0x400, 0x104, "SRAM_V113", "SRAM_V113"},
        {0x400, 0x108, "SRAM_F_V102", "SRAM_F_V102"},
        {0x400, 0x10C, "FLASH_V126", "FLASH_V126"},
        {0x400, 0x110, "FLASH512_V131", "FLASH512_V131"},
        {0x400, 0x114, "FLASH1M_V103", "FLASH1M_V103"},
        {0x400, 0x101, "FLASH1M_V103", ""},           // off by one
        {0x400, 0x102, "SRAM_V113", ""},              // off by two
        {0x400, 0x103, "EEPROM_V124", ""},            // off by three
        {0x400, 0x100, "FLASH1M_V1x3", "FLASH1M_V1"}, // digits up to the first other byte
        {0x400, 0x100, "FLASH1M_V  ", "FLASH1M_V"},   // a test ROM's bare marker
        {0x400, 0x100, "FLASH1M_", ""},               // the marker cut short
        {0x400, 0x100, "FLASH2M_V103", ""},           // no such library
        {0x400, 0x100, "eeprom_v124", ""},            // ids are upper case
        {0x400, 0x100, "SRAM_V1234", "SRAM_V123"},    // three digits, whatever follows
        // A short id ending with the image, where the longest would not fit,
        // and one the image's end cuts short.
        {0x409, 0x400, "SRAM_V113", "SRAM_V113"},
        {0x408, 0x400, "SRAM_V11", "SRAM_V11"},
        {0x405, 0x400, "SRAM_", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScanWhole(ImageWith(c.size, c.offset, c.text)), c.expected)
            << c.text << " at " << c.offset;
    }
    auto twoIds = ImageWith(0x400, 0x300, "FLASH_V126");
    const std::string first = "SRAM_V113";
    std::copy(first.begin(), first.end(), twoIds.begin() + 0x200);
    EXPECT_EQ(ScanWhole(twoIds), "SRAM_V113");
}

TEST(BackupTypeScanner, AnIdCutBetweenPiecesIsFoundAtEveryCut) {
    // Every cut through the id and its neighbourhood, and pieces of every
    // small length, odd ones included, so that pieces start unaligned.
    const std::string id = "FLASH512_V131";
    const auto image = ImageWith(0x200, 0x100, id);
    for (std::size_t cut = 0xF0; cut <= 0x120; ++cut) {
        EXPECT_EQ(ScanInPieces(image, {cut, image.size()}), id) << "cut at " << cut;
    }
    for (std::size_t length = 1; length <= 40; ++length) {
        EXPECT_EQ(ScanInPieces(image, {length}), id) << "pieces of " << length;
        EXPECT_EQ(ScanInPieces(ImageWith(0x200, 0x101, id), {length}), "") << length;
    }
}
