// Walking a small, well-formed archive's records.
#include "ZipLayout.h"

#include <stdexcept>

namespace testing_support {

namespace {

constexpr std::uint32_t kEndSignature = 0x06054B50;
constexpr std::uint32_t kCentralSignature = 0x02014B50;
constexpr std::uint32_t kLocalSignature = 0x04034B50;
constexpr std::size_t kEndRecordSize = 22;

std::uint16_t GetLe16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    if (offset + 2 > bytes.size()) {
        throw std::out_of_range("ZIP field past the end");
    }
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

} // namespace

std::uint32_t GetLe32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    if (offset + 4 > bytes.size()) {
        throw std::out_of_range("ZIP field past the end");
    }
    return static_cast<std::uint32_t>(bytes[offset]) |
           (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

void PutLe16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutLe32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
    }
}

ZipLayout DescribeZip(std::span<const std::uint8_t> zip) {
    if (zip.size() < kEndRecordSize) {
        throw std::invalid_argument("too short for a ZIP archive");
    }
    ZipLayout layout;
    layout.endRecord = zip.size() - kEndRecordSize;
    if (GetLe32(zip, layout.endRecord) != kEndSignature) {
        throw std::invalid_argument("no end record where a comment-less archive has it");
    }
    layout.directory = GetLe32(zip, layout.endRecord + EndRecord::kDirectoryOffset);
    const std::size_t count = GetLe16(zip, layout.endRecord + EndRecord::kEntriesTotal);
    std::size_t central = layout.directory;
    for (std::size_t i = 0; i < count; ++i) {
        if (GetLe32(zip, central) != kCentralSignature) {
            throw std::invalid_argument("central directory record expected");
        }
        ZipLayout::Entry entry;
        entry.central = central;
        entry.local = GetLe32(zip, central + CentralRecord::kLocalOffset);
        const std::size_t nameLength = GetLe16(zip, central + CentralRecord::kNameLength);
        const auto name = zip.subspan(central + CentralRecord::kName, nameLength);
        entry.name.assign(name.begin(), name.end());
        if (GetLe32(zip, entry.local) != kLocalSignature) {
            throw std::invalid_argument("local header expected for " + entry.name);
        }
        entry.data = entry.local + LocalHeader::kName +
                     GetLe16(zip, entry.local + LocalHeader::kNameLength) +
                     GetLe16(zip, entry.local + LocalHeader::kExtraLength);
        layout.entries.push_back(entry);
        central += CentralRecord::kName + nameLength +
                   GetLe16(zip, central + CentralRecord::kExtraLength) +
                   GetLe16(zip, central + CentralRecord::kCommentLength);
    }
    return layout;
}

} // namespace testing_support
