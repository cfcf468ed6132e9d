// An archive whose one entry inflates to a chosen, huge size from a few
// megabytes: a fixed-Huffman deflate stream of repeated longest matches.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace testing_support {

struct ZipBombInfo {
    std::uint64_t storedSize = 0; // bytes of deflate data in the archive
    std::uint32_t crc = 0;        // CRC-32 of the whole inflated entry, as recorded
};

// Writes an archive at `path` with one deflated entry `name` (zip64 records)
// whose data is `start` followed by copies of its last byte, `inflatedSize`
// bytes in all. The directory records the true size and CRC-32.
ZipBombInfo WriteZipBomb(const std::string& path, const std::string& name,
                         std::span<const std::uint8_t> start, std::uint64_t inflatedSize);

} // namespace testing_support
