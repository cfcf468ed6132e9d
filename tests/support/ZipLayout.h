// Where the records of a ZIP archive lie, so that a test can make its
// directory lie: the end record, each central directory record and the local
// header it points at, with the field offsets inside each record.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace testing_support {

// Field offsets inside the end-of-central-directory record.
namespace EndRecord {
inline constexpr std::size_t kEntriesOnDisk = 8;
inline constexpr std::size_t kEntriesTotal = 10;
inline constexpr std::size_t kDirectorySize = 12;
inline constexpr std::size_t kDirectoryOffset = 16;
} // namespace EndRecord

// Field offsets inside a central directory record.
namespace CentralRecord {
inline constexpr std::size_t kFlags = 8;
inline constexpr std::size_t kMethod = 10;
inline constexpr std::size_t kCrc = 16;
inline constexpr std::size_t kCompressedSize = 20;
inline constexpr std::size_t kUncompressedSize = 24;
inline constexpr std::size_t kNameLength = 28;
inline constexpr std::size_t kExtraLength = 30;
inline constexpr std::size_t kCommentLength = 32;
inline constexpr std::size_t kLocalOffset = 42;
inline constexpr std::size_t kName = 46;
} // namespace CentralRecord

// Field offsets inside a local file header.
namespace LocalHeader {
inline constexpr std::size_t kCrc = 14;
inline constexpr std::size_t kCompressedSize = 18;
inline constexpr std::size_t kUncompressedSize = 22;
inline constexpr std::size_t kNameLength = 26;
inline constexpr std::size_t kExtraLength = 28;
inline constexpr std::size_t kName = 30;
} // namespace LocalHeader

struct ZipLayout {
    struct Entry {
        std::string name;
        std::size_t central = 0; // offset of its central directory record
        std::size_t local = 0;   // offset of its local header
        std::size_t data = 0;    // offset of its stored bytes
    };
    std::size_t endRecord = 0; // offset of the end-of-central-directory record
    std::size_t directory = 0; // offset of the first central directory record
    std::vector<Entry> entries;
};

// The layout of an archive without zip64 records or comments, as the
// fixtures write them; throws when the bytes are not such an archive.
ZipLayout DescribeZip(std::span<const std::uint8_t> zip);

std::uint32_t GetLe32(std::span<const std::uint8_t> bytes, std::size_t offset);
void PutLe16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value);
void PutLe32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value);

} // namespace testing_support
