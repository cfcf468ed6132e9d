// A ZIP archive opened for reading its central directory and one entry's
// uncompressed bytes. Wraps minizip's unz interface; nothing else in the
// program talks to minizip.
#pragma once

#include "CZipFileStream.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class CZipReader {
public:
    struct EntryInfo {
        std::string name; // as stored, up to its first zero byte
        std::uint64_t uncompressedSize = 0;
        std::uint32_t crc32 = 0;
        std::uint16_t method = 0; // 0 stored, 8 deflated; others cannot be read
        bool encrypted = false;   // its data cannot be read without a password
    };

    // Why ReadFirstEntryWithExtension() delivered no bytes.
    enum class WholeEntryFailure : std::uint8_t {
        None,
        Unopened, // the file itself could not be opened: see `fileError`
        NotZip,   // opened, but no ZIP archive
        NoEntry,  // no entry with one of the extensions asked for
        TooLarge, // the entry's size is above the limit
        Damaged,  // its data ends early, does not inflate or fails its CRC-32
    };
    // One entry read whole, or why not.
    struct WholeEntry {
        WholeEntryFailure failure = WholeEntryFailure::None;
        FileError fileError;    // for Unopened
        std::string name;       // the entry chosen, as stored ("" for Unopened to NoEntry)
        std::uint64_t size = 0; // its size as the directory records it
        std::string bytes;      // its data; empty unless failure is None
    };

    // Reads the first entry, in directory order, whose name ends in "." and
    // one of `extensions` (ASCII case ignored; given without the dot), whole
    // but never more than `maxSize` bytes: a larger entry is refused before
    // anything is inflated, so a ZIP bomb costs no memory.
    static WholeEntry ReadFirstEntryWithExtension(const std::string& path,
                                                  std::span<const std::string_view> extensions,
                                                  std::size_t maxSize);

    CZipReader() = default;
    CZipReader(const CZipReader&) = delete;
    CZipReader& operator=(const CZipReader&) = delete;
    ~CZipReader();

    // Opens the archive (a regular file only); the first entry becomes current.
    // `listed`: the name was just listed as a regular file (CRegularFile::OpenListed).
    bool Open(const std::string& path, bool listed = false);
    // After a failed Open(): why the file could not be opened, or no failure
    // when it opened but is no ZIP archive.
    const FileError& GetOpenError() const { return m_openContext.error; }
    // Number of entries the central directory claims.
    std::uint64_t EntryCount() const;
    // Information of the current entry; false when its directory record is unreadable.
    bool GetCurrentEntry(EntryInfo& info) const;
    // Moves to the next entry; false at the end of the directory or on damage.
    bool GoToNextEntry();
    // Opens the current entry for reading its uncompressed data.
    bool OpenCurrentEntry();
    // Reads up to buffer.size() uncompressed bytes, continuing where the last
    // read stopped; returns how many were delivered.
    std::size_t ReadCurrentEntry(std::span<std::uint8_t> buffer);
    void CloseCurrentEntry();

private:
    // Reads the open current entry's `size` bytes whole, checking its CRC-32.
    bool ReadCurrentEntryWhole(std::string& bytes, std::size_t size);

    CZipFileStream::OpenContext m_openContext; // minizip keeps a pointer to it
    void* m_hZip = nullptr;                    // unzFile
    bool m_bEntryOpen = false;
};
