// ZIP reading through minizip. The file access (CZipFileStream) refuses
// anything but a regular file, so that a FIFO named pack.zip cannot block the
// scan, and spares minizip's byte-wise reads the system calls.
#include "CZipReader.h"

#include "AsciiCase.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <optional>
#include <unzip.h>
#include <vector>

namespace {

// Sets `name` to the text up to the first zero byte, reusing its buffer.
void AssignTerminated(std::string& name, const char* chars, std::size_t length) {
    name.assign(chars, std::find(chars, chars + length, '\0'));
}

// A 32-bit size of all ones: the real size is in the zip64 extra block.
constexpr std::uint64_t kZip64Marker = 0xFFFFFFFF;
constexpr std::uint16_t kZip64ExtraId = 0x0001;
// General purpose flag bit 0: the entry's data is encrypted.
constexpr uLong kEncryptedFlag = 0x0001;

std::uint64_t LittleEndian(std::span<const std::uint8_t> bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i > 0; --i) {
        value = (value << 8) | bytes[i - 1];
    }
    return value;
}

// The uncompressed size in the zip64 extended information of a central
// directory record's extra field: the block's first value, present when the
// 32-bit field holds the marker. minizip as packaged on 64-bit systems never
// takes it from there (its marker test compares against a 64-bit all-ones).
std::optional<std::uint64_t> Zip64UncompressedSize(std::span<const std::uint8_t> extra) {
    while (extra.size() >= 4) {
        const auto id = static_cast<std::uint16_t>(LittleEndian(extra.first(2)));
        const auto size = static_cast<std::size_t>(LittleEndian(extra.subspan(2, 2)));
        if (size > extra.size() - 4) {
            return std::nullopt;
        }
        if (id == kZip64ExtraId) {
            return size >= 8 ? std::optional(LittleEndian(extra.subspan(4, 8))) : std::nullopt;
        }
        extra = extra.subspan(4 + size);
    }
    return std::nullopt;
}

bool HasOneOfExtensions(std::string_view name, std::span<const std::string_view> extensions) {
    const auto dot = name.find_last_of('.');
    if (dot == std::string_view::npos) {
        return false;
    }
    const std::string_view ext = name.substr(dot + 1);
    return std::any_of(extensions.begin(), extensions.end(), [&](std::string_view wanted) {
        return EqualsIgnoringAsciiCase(ext, wanted);
    });
}

} // namespace

CZipReader::WholeEntry CZipReader::ReadFirstEntryWithExtension(
    const std::string& path, std::span<const std::string_view> extensions, std::size_t maxSize) {
    WholeEntry result;
    CZipReader zip;
    if (!zip.Open(path)) {
        result.fileError = zip.GetOpenError();
        result.failure = result.fileError.failure == FileFailure::None
                             ? WholeEntryFailure::NotZip
                             : WholeEntryFailure::Unopened;
        return result;
    }
    EntryInfo entry;
    bool found = false;
    while (zip.EntryCount() > 0 && zip.GetCurrentEntry(entry)) {
        if (HasOneOfExtensions(entry.name, extensions)) {
            found = true;
            break;
        }
        if (!zip.GoToNextEntry()) {
            break;
        }
    }
    if (!found) {
        result.failure = WholeEntryFailure::NoEntry;
        return result;
    }
    result.name = std::move(entry.name);
    result.size = entry.uncompressedSize;
    if (entry.uncompressedSize > maxSize) {
        result.failure = WholeEntryFailure::TooLarge;
    } else if (!zip.OpenCurrentEntry() ||
               !zip.ReadCurrentEntryWhole(result.bytes,
                                          static_cast<std::size_t>(entry.uncompressedSize))) {
        result.bytes.clear();
        result.failure = WholeEntryFailure::Damaged;
    }
    return result;
}

CZipReader::~CZipReader() {
    if (m_hZip != nullptr) {
        CloseCurrentEntry();
        unzClose(m_hZip);
    }
}

bool CZipReader::Open(const std::string& path, bool listed) {
    m_openContext = {};
    m_openContext.listed = listed;
    // minizip scans the last 64 KiB a byte at a time for a Zip64 locator
    // before it looks for the ordinary end record; the stream answers that
    // search at once when the tail holds no locator at all.
    m_openContext.skipFutileZip64Search = true;
    zlib_filefunc64_def functions;
    CZipFileStream::FillFileFunctions(functions, m_openContext);
    m_hZip = unzOpen2_64(path.c_str(), &functions);
    return m_hZip != nullptr;
}

std::uint64_t CZipReader::EntryCount() const {
    unz_global_info64 info{};
    if (m_hZip == nullptr || unzGetGlobalInfo64(m_hZip, &info) != UNZ_OK) {
        return 0;
    }
    return info.number_entry;
}

bool CZipReader::GetCurrentEntry(EntryInfo& info) const {
    if (m_hZip == nullptr) {
        return false;
    }
    // Most names fit the short buffer; a longer one is read again whole rather
    // than cut off, so that its extension is judged on the real name.
    std::array<char, 256> shortName; // minizip fills what the name takes
    unz_file_info64 fileInfo{};
    if (unzGetCurrentFileInfo64(m_hZip, &fileInfo, shortName.data(), shortName.size(), nullptr, 0,
                                nullptr, 0) != UNZ_OK) {
        return false;
    }
    if (fileInfo.size_filename < shortName.size()) {
        AssignTerminated(info.name, shortName.data(), fileInfo.size_filename);
    } else {
        std::string longName(fileInfo.size_filename + 1, '\0');
        if (unzGetCurrentFileInfo64(m_hZip, &fileInfo, longName.data(),
                                    static_cast<uLong>(longName.size()), nullptr, 0, nullptr,
                                    0) != UNZ_OK) {
            return false;
        }
        AssignTerminated(info.name, longName.data(), fileInfo.size_filename);
    }
    info.uncompressedSize = fileInfo.uncompressed_size;
    if (info.uncompressedSize == kZip64Marker && fileInfo.size_file_extra > 0) {
        std::vector<std::uint8_t> extra(fileInfo.size_file_extra);
        if (unzGetCurrentFileInfo64(m_hZip, &fileInfo, nullptr, 0, extra.data(),
                                    static_cast<uLong>(extra.size()), nullptr, 0) == UNZ_OK) {
            info.uncompressedSize = Zip64UncompressedSize(extra).value_or(info.uncompressedSize);
        }
    }
    info.crc32 = static_cast<std::uint32_t>(fileInfo.crc);
    info.method = static_cast<std::uint16_t>(fileInfo.compression_method);
    info.encrypted = (fileInfo.flag & kEncryptedFlag) != 0;
    return true;
}

bool CZipReader::GoToNextEntry() {
    return m_hZip != nullptr && unzGoToNextFile(m_hZip) == UNZ_OK;
}

bool CZipReader::OpenCurrentEntry() {
    if (m_hZip == nullptr) {
        return false;
    }
    CloseCurrentEntry();
    m_bEntryOpen = unzOpenCurrentFile(m_hZip) == UNZ_OK;
    return m_bEntryOpen;
}

std::size_t CZipReader::ReadCurrentEntry(std::span<std::uint8_t> buffer) {
    if (!m_bEntryOpen) {
        return 0;
    }
    std::size_t done = 0;
    while (done < buffer.size()) {
        const auto chunk = static_cast<unsigned>(
            std::min<std::size_t>(buffer.size() - done, std::numeric_limits<int>::max()));
        const ZPOS64_T before = unztell64(m_hZip);
        const int got = unzReadCurrentFile(m_hZip, buffer.data() + done, chunk);
        if (got < 0) {
            // Damaged data: the read reports only the error, but what inflated
            // before the damage is in the buffer and counted by the position.
            const ZPOS64_T after = unztell64(m_hZip);
            if (after > before && after - before <= chunk) {
                done += static_cast<std::size_t>(after - before);
            }
            break;
        }
        if (got == 0) {
            break; // end of the entry: the rest stays as the caller set it
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void CZipReader::CloseCurrentEntry() {
    if (m_bEntryOpen) {
        // The CRC check that closing may report plays no part: only the first
        // bytes are read, and the directory's CRC is what is shown.
        unzCloseCurrentFile(m_hZip);
        m_bEntryOpen = false;
    }
}

bool CZipReader::ReadCurrentEntryWhole(std::string& bytes, std::size_t size) {
    // minizip inflates no further than the size the directory records, so
    // the buffer is never overrun; data that ends early reads short, and
    // anything else wrong fails the CRC-32 check made on closing.
    bytes.assign(size, '\0');
    const std::size_t got =
        ReadCurrentEntry(std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()));
    const int closed = unzCloseCurrentFile(m_hZip);
    m_bEntryOpen = false;
    return got == size && closed == UNZ_OK;
}
