// Loading the start of a ROM image from a plain file or a ZIP archive.
#include "CRomLoader.h"

#include "CRegularFile.h"
#include "CZipReader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

namespace {

// Where the last component of `path` starts.
std::size_t LastComponentStart(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

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
    std::array<std::uint8_t, 4096> scratch{};
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
    if (ext.size() != accepted.size()) {
        return false;
    }
    for (std::size_t i = 0; i < accepted.size(); ++i) {
        char c = ext[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c != accepted[i]) {
            return false;
        }
    }
    return true;
}

std::string CRomLoader::GetExtension(const std::string& name) {
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos) {
        return {};
    }
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    });
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

int CRomLoader::LoadAny(const std::string& path, std::uint32_t offset, std::uint32_t length,
                        std::span<std::uint8_t> buffer, bool listed) {
    if (HasExtension(path, "ZIP")) {
        return LoadFromArchive(path, offset, length, buffer, listed);
    }
    return LoadPlain(path, offset, length, buffer, listed);
}

int CRomLoader::LoadPlain(const std::string& path, std::uint32_t offset, std::uint32_t length,
                          std::span<std::uint8_t> buffer, bool listed) {
    const std::optional<CRegularFile> file =
        listed ? CRegularFile::OpenListed(path) : CRegularFile::Open(path);
    if (!file) {
        return -1;
    }
    const auto delivered = DeliveredLength(file->Size(), offset, length, buffer.size());
    if (!delivered) {
        return -1;
    }
    const auto target = buffer.first(*delivered);
    const std::size_t got = file->ReadAt(offset, target);
    std::fill(target.begin() + static_cast<std::ptrdiff_t>(got), target.end(), std::uint8_t{0});

    m_strFileName.assign(path, LastComponentStart(path)); // keeps its buffer from load to load
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

int CRomLoader::LoadFromArchive(const std::string& path, std::uint32_t offset, std::uint32_t length,
                                std::span<std::uint8_t> buffer, bool listed) {
    CZipReader zip;
    if (!zip.Open(path, listed)) {
        return -1;
    }
    if (zip.EntryCount() == 0) {
        return -1;
    }
    // Walk the directory in order until minizip reports its end: that is the
    // claimed count, except that a count of 65,535 without zip64 records (how
    // writers record "more than fit") is walked to the last record. A damaged
    // record or a directory shorter than its count ends the walk too.
    CZipReader::EntryInfo entry;
    bool found = false;
    while (zip.GetCurrentEntry(entry)) {
        if (IsAcceptedInArchive(entry.name)) {
            found = true;
            break;
        }
        if (!zip.GoToNextEntry()) {
            break;
        }
    }
    if (!found) {
        return -1;
    }
    const auto delivered = DeliveredLength(entry.uncompressedSize, offset, length, buffer.size());
    if (!delivered) {
        return -1;
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

    m_strFileName.assign(path, LastComponentStart(path));
    m_strInnerName = entry.name;
    m_dwSize = entry.uncompressedSize;
    m_dwCrc32 = entry.crc32;
    return 0;
}
