// Reads a stretch from the start of a ROM image, held either as a plain file
// or as the first accepted entry of a ZIP archive, and records where it came
// from: file name, entry name, image size and the archive's CRC-32.
#pragma once

#include "CZipReader.h"
#include "FileError.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Why the last load returned -1.
enum class LoadFailure : std::uint8_t {
    None,
    NotFound,         // no file by that name
    IsFolder,         // a folder
    NotRegularFile,   // a device, pipe, socket or reserved device name
    Unreadable,       // there, but it cannot be opened or read
    NotZip,           // named .zip but no ZIP archive
    NoImageInArchive, // a ZIP archive without an entry of an accepted extension
    TooLong,          // the stretch asked for does not fit the caller's buffer
};

class CRomLoader {
public:
    static constexpr int MAX_EXTENSIONS = 10;

    virtual ~CRomLoader() = default;

    // Delivers `length` bytes of the image from `offset` into `buffer` and
    // returns 0, or returns -1 and leaves both the buffer and the record of the
    // last load untouched. Length 0 asks for everything from the offset on.
    // Bytes the image does not have (a short file) are delivered as zeros.
    int Load(const std::string& path, std::uint32_t offset, std::uint32_t length,
             std::span<std::uint8_t> buffer);
    // Load() for a file whose name a folder listing has just reported as a
    // regular file (not a link): the same result, one system call less (see
    // CRegularFile::OpenListed). The folder scan uses it.
    int LoadListedFile(const std::string& path, std::uint32_t offset, std::uint32_t length,
                       std::span<std::uint8_t> buffer);

    // The characters after the last "." of `name`, upper-cased; "" when there
    // is no "." or nothing follows it.
    static std::string GetExtension(const std::string& name);
    // GetExtension(name) == accepted, without building the extension (this
    // runs once per file of a scan).
    static bool HasExtension(std::string_view name, std::string_view accepted);
    // True when a load looks into `path` as a ZIP archive (a name ending in .zip).
    static bool IsArchiveName(std::string_view path) { return HasExtension(path, "ZIP"); }

    // Opens the archive at `path` in `zip` and makes current the entry a load
    // of it reads: the first in directory order with an accepted extension.
    // Returns 0 with that entry's record in `entry`, or -1 with the reason for
    // GetLastFailure(). `listed` as for LoadListedFile(). Whole-image hashing
    // uses it, so that it hashes the entry a scan shows.
    int OpenArchiveImage(const std::string& path, bool listed, CZipReader& zip,
                         CZipReader::EntryInfo& entry);

    int GetExtensionCount() const { return m_nExtCount; }
    const std::string& GetExtensionAt(int slot) const { return m_strExt.at(slot); }

    // Why the last load failed, and the system's error code where it said one.
    LoadFailure GetLastFailure() const { return m_lastFailure; }
    int GetLastSystemError() const { return m_nLastSystemError; }
    // The last failure in words, for a message ("is a folder", "no .bin,
    // .gba or .agb entry in it", or the system's text); "" after a success.
    std::string DescribeLastFailure() const;

    // The record of the last successful load.
    const std::string& GetFileName() const { return m_strFileName; }
    const std::string& GetInnerName() const { return m_strInnerName; }
    // Whole length of the image; 64 bits so that disc images over 4 GiB keep their size.
    std::uint64_t GetSize() const { return m_dwSize; }
    std::uint32_t GetCrc32() const { return m_dwCrc32; }

protected:
    CRomLoader() = default;

    // Extensions a derived loader accepts, upper case, without the dot. The
    // last slot in use names the archive type and is not taken inside an archive.
    std::array<std::string, MAX_EXTENSIONS> m_strExt;
    int m_nExtCount = 0;

private:
    int LoadAny(const std::string& path, std::uint32_t offset, std::uint32_t length,
                std::span<std::uint8_t> buffer, bool listed);
    int LoadPlain(const std::string& path, std::uint32_t offset, std::uint32_t length,
                  std::span<std::uint8_t> buffer, bool listed);
    int LoadFromArchive(const std::string& path, std::uint32_t offset, std::uint32_t length,
                        std::span<std::uint8_t> buffer, bool listed);
    bool IsAcceptedInArchive(const std::string& entryName) const;
    int Fail(LoadFailure failure, int systemError = 0);
    int Fail(const FileError& error);

    std::string m_strFileName;
    std::string m_strInnerName;
    CZipReader::EntryInfo m_archiveEntry; // scratch for LoadFromArchive()
    std::uint64_t m_dwSize = 0;
    std::uint32_t m_dwCrc32 = 0;
    LoadFailure m_lastFailure = LoadFailure::None;
    int m_nLastSystemError = 0;
};
