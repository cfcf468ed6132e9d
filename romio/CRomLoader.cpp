// Loading the start of a ROM image from a plain file or a ZIP archive.
#include "CRomLoader.h"

#include "AsciiCase.h"
#include "CFileSystem.h"
#include "CRegularFile.h"
#include "CZipReader.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <string_view>

namespace {

// How many bytes a load delivers: the stretch asked for, or for length 0 the
// rest of the image after the offset (nothing when the offset lies past the
// end). nullopt when the caller's buffer cannot hold it.
std::optional<std::size_t> DeliveredLength(std::uint64_t imageSize, std::uint32_t offset,
                                           std::uint32_t length, std::size_t bufferSize) {
    std::uint64_t wanted = length;
    if (length == 0) {
        wanted = imageSize > offset ? imageSize - offset : 0;
    }
    if (wanted > bufferSize) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(wanted);
}

// Reads and drops the first `count` uncompressed bytes of the open entry;
// false when the entry ends (or breaks) first.
bool SkipEntryBytes(CZipReader& zip, std::uint32_t count) {
    if (count == 0) {
        return true; // a load from the start, as a scan's: no scratch to set up
    }
    std::array<std::uint8_t, 4096> scratch; // only ever written
    while (count > 0) {
        const std::size_t chunk = std::min<std::size_t>(count, scratch.size());
        if (zip.ReadCurrentEntry(std::span(scratch).first(chunk)) != chunk) {
            return false;
        }
        count -= static_cast<std::uint32_t>(chunk);
    }
    return true;
}

} // namespace

bool CRomLoader::HasExtension(std::string_view name, std::string_view accepted) {
    const auto dot = name.find_last_of('.');
    const std::string_view ext =
        dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    return EqualsIgnoringAsciiCase(ext, accepted);
}

std::string CRomLoader::GetExtension(const std::string& name) {
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos) {
        return {};
    }
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), ToUpperAscii);
    return ext;
}

int CRomLoader::Load(const std::string& path, std::uint32_t offset, std::uint32_t length,
                     std::span<std::uint8_t> buffer) {
    return LoadAny(path, offset, length, buffer, false);
}

int CRomLoader::LoadListedFile(const std::string& path, std::uint32_t offset, std::uint32_t length,
                               std::span<std::uint8_t> buffer) {
    return LoadAny(path, offset, length, buffer, true);
}

int CRomLoader::Fail(LoadFailure failure, int systemError) {
    m_lastFailure = failure;
    m_nLastSystemError = systemError;
    return -1;
}

int CRomLoader::Fail(const FileError& error) {
    switch (error.failure) {
    case FileFailure::NotFound:
        return Fail(LoadFailure::NotFound, error.code);
    case FileFailure::IsFolder:
        return Fail(LoadFailure::IsFolder, error.code);
    case FileFailure::NotRegularFile:
        return Fail(LoadFailure::NotRegularFile, error.code);
    case FileFailure::None:
    case FileFailure::Unreadable:
        break;
    }
    return Fail(LoadFailure::Unreadable, error.code);
}

std::string CRomLoader::DescribeLastFailure() const {
    switch (m_lastFailure) {
    case LoadFailure::None:
        return {};
    case LoadFailure::IsFolder:
        return "is a folder";
    case LoadFailure::NotRegularFile:
        return "not a regular file";
    case LoadFailure::NotZip:
        return "not a ZIP archive";
    case LoadFailure::NoImageInArchive: {
        // "no .bin, .gba or .agb entry in it", from the accepted extensions.
        std::string text = m_nExtCount > 1 ? "no " : "no accepted";
        for (int slot = 0; slot < m_nExtCount - 1; ++slot) {
            text += slot == 0 ? "." : (slot + 2 == m_nExtCount ? " or ." : ", .");
            std::transform(m_strExt[slot].begin(), m_strExt[slot].end(), std::back_inserter(text),
                           ToLowerAscii);
        }
        return text + " entry in it";
    }
    case LoadFailure::TooLong:
        return "the stretch asked for does not fit";
    case LoadFailure::NotFound:
    case LoadFailure::Unreadable:
        break;
    }
    return m_nLastSystemError != 0 ? CFileSystem::ErrorText(m_nLastSystemError)
                                   : std::string("cannot be read");
}

int CRomLoader::LoadAny(const std::string& path, std::uint32_t offset, std::uint32_t length,
                        std::span<std::uint8_t> buffer, bool listed) {
    m_lastFailure = LoadFailure::None;
    m_nLastSystemError = 0;
    if (IsArchiveName(path)) {
        return LoadFromArchive(path, offset, length, buffer, listed);
    }
    return LoadPlain(path, offset, length, buffer, listed);
}

int CRomLoader::LoadPlain(const std::string& path, std::uint32_t offset, std::uint32_t length,
                          std::span<std::uint8_t> buffer, bool listed) {
    FileError error;
    const std::optional<CRegularFile> file =
        listed ? CRegularFile::OpenListed(path, &error) : CRegularFile::Open(path, &error);
    if (!file) {
        return Fail(error);
    }
    const auto delivered = DeliveredLength(file->Size(), offset, length, buffer.size());
    if (!delivered) {
        return Fail(LoadFailure::TooLong);
    }
    const auto target = buffer.first(*delivered);
    const std::size_t got = file->ReadAt(offset, target);
    std::fill(target.begin() + static_cast<std::ptrdiff_t>(got), target.end(), std::uint8_t{0});

    m_strFileName.assign(
        path, CFileSystem::LastComponentStart(path)); // keeps its buffer from load to load
    m_strInnerName.clear();
    m_dwSize = file->Size();
    m_dwCrc32 = 0;
    return 0;
}

bool CRomLoader::IsAcceptedInArchive(const std::string& entryName) const {
    // Every slot in use but the last, which names the archive type itself.
    for (int slot = 0; slot < m_nExtCount - 1; ++slot) {
        if (HasExtension(entryName, m_strExt[slot])) {
            return true;
        }
    }
    return false;
}

int CRomLoader::OpenArchiveImage(const std::string& path, bool listed, CZipReader& zip,
                                 CZipReader::EntryInfo& entry) {
    m_lastFailure = LoadFailure::None;
    m_nLastSystemError = 0;
    if (!zip.Open(path, listed)) {
        const FileError& error = zip.GetOpenError();
        return error.failure == FileFailure::None ? Fail(LoadFailure::NotZip) : Fail(error);
    }
    if (zip.EntryCount() == 0) {
        return Fail(LoadFailure::NoImageInArchive);
    }
    // Walk the directory in order until minizip reports its end: that is the
    // claimed count, except that a count of 65,535 without zip64 records (how
    // writers record "more than fit") is walked to the last record. A damaged
    // record or a directory shorter than its count ends the walk too.
    while (zip.GetCurrentEntry(entry)) {
        if (IsAcceptedInArchive(entry.name)) {
            return 0;
        }
        if (!zip.GoToNextEntry()) {
            break;
        }
    }
    return Fail(LoadFailure::NoImageInArchive);
}

int CRomLoader::LoadFromArchive(const std::string& path, std::uint32_t offset, std::uint32_t length,
                                std::span<std::uint8_t> buffer, bool listed) {
    CZipReader zip;
    // The entry's record is kept from load to load, so that its name reuses
    // one buffer.
    CZipReader::EntryInfo& entry = m_archiveEntry;
    if (OpenArchiveImage(path, listed, zip, entry) != 0) {
        return -1;
    }
    const auto delivered = DeliveredLength(entry.uncompressedSize, offset, length, buffer.size());
    if (!delivered) {
        return Fail(LoadFailure::TooLong);
    }

    // From here the load counts as successful, whatever the entry's data holds.
    const auto target = buffer.first(*delivered);
    std::size_t got = 0;
    if (zip.OpenCurrentEntry()) {
        if (SkipEntryBytes(zip, offset)) {
            got = zip.ReadCurrentEntry(target);
        }
        zip.CloseCurrentEntry();
    }
    std::fill(target.begin() + static_cast<std::ptrdiff_t>(got), target.end(), std::uint8_t{0});

    m_strFileName.assign(path, CFileSystem::LastComponentStart(path));
    m_strInnerName.swap(entry.name); // both keep their buffers for the next load
    m_dwSize = entry.uncompressedSize;
    m_dwCrc32 = entry.crc32;
    return 0;
}
