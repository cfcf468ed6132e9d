// Writes ZIP archives whose entries' bytes are given as stored in the
// archive (already compressed, or deliberately broken), with the sizes, CRC
// and flags the test chooses. Uses minizip's zip API in raw mode; data can be
// streamed in pieces, so that huge entries never sit in memory.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace testing_support {

class RawZipWriter {
public:
    struct Entry {
        std::string name;
        int method = 8;          // 8 deflated, 0 stored
        std::uint16_t flags = 0; // general purpose bits, e.g. 1 for an encrypted entry
        bool zip64 = false;
    };

    // Creates the archive; throws when it cannot.
    explicit RawZipWriter(const std::string& path);
    // Finishes the archive if Close() was not called (errors are then ignored).
    ~RawZipWriter();
    RawZipWriter(const RawZipWriter&) = delete;
    RawZipWriter& operator=(const RawZipWriter&) = delete;

    void BeginEntry(const Entry& entry);
    // Appends bytes to the current entry exactly as they are to be stored.
    void Write(std::span<const std::uint8_t> bytes);
    // Ends the entry, recording `uncompressedSize` and `crc` in its headers.
    void EndEntry(std::uint64_t uncompressedSize, std::uint32_t crc);
    // Writes the central directory and closes the file; throws on failure.
    void Close();

    // A whole entry at once.
    void AddEntry(const Entry& entry, std::span<const std::uint8_t> stored,
                  std::uint64_t uncompressedSize, std::uint32_t crc);

private:
    void* m_hZip = nullptr; // zipFile
    std::string m_strPath;
};

} // namespace testing_support
