// Writes ZIP archives for the tests with minizip's zip API.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct ZipItem {
    std::string name;
    std::vector<std::uint8_t> data;
    bool deflate = true;
    // When set, the directory records this CRC instead of the real one.
    bool overrideCrc = false;
    std::uint32_t crc = 0;
    bool zip64 = false;
};

// A new, empty archive at `path` opened with minizip's zip writer (a zipFile),
// or nullptr; by its wide name on Windows.
void* CreateZipFile(const std::string& path);

// Writes the items, in order, to a new archive at `path`; throws on failure.
void WriteZip(const std::string& path, const std::vector<ZipItem>& items);

// The CRC-32 zlib computes over `data`.
std::uint32_t Crc32Of(const std::vector<std::uint8_t>& data);

std::vector<std::uint8_t> TextBytes(const std::string& text);

} // namespace testing_support
