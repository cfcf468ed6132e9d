// How the fuzz targets read their input. The seed generator writes seeds in
// the same layout, so both include this.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz_layout {

// fuzz_loader: byte 0 chooses the stretch to load, the rest is the file.
struct LoadRequest {
    std::uint32_t offset = 0;
    std::uint32_t length = 512;
    std::size_t bufferSize = 512;
};

// What the scan asks for: offset 0, length 512.
inline constexpr std::uint8_t kScanLoad = 0x00;
// Buffer for a length-0 load ("the whole image"); larger images fail the load.
inline constexpr std::size_t kWholeImageBuffer = 64 * 1024;

// Low two bits pick the kind of request, the other six its size.
inline LoadRequest DecodeLoadRequest(std::uint8_t control) {
    const std::uint32_t step = control >> 2u;
    switch (control & 3u) {
    case 0:
        return {0, 512, 512};
    case 1:
        return {step * 16, 512, 512};
    case 2:
        return {0, 1 + step * 9, 1 + step * 9};
    default:
        return {step * 16, 0, kWholeImageBuffer};
    }
}

// fuzz_header: bytes 0-511 are the header (zero padded when the input is
// shorter), then an optional trailer describing the entry: its flags, its
// image size (8 bytes) and its CRC-32 (4 bytes), little-endian; missing
// trailer bytes read as zero.
inline constexpr std::size_t kHeaderLength = 512;
inline constexpr std::size_t kTrailerFlags = 512;
inline constexpr std::size_t kTrailerSize = 513;
inline constexpr std::size_t kTrailerCrc = 521;
inline constexpr std::size_t kHeaderInputLength = 525;

} // namespace fuzz_layout
