// ZIP reading through minizip, with file access that refuses anything but a
// regular file so that a FIFO named pack.zip cannot block the scan.
#include "CZipReader.h"

#include "CRegularFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <limits>
#include <unistd.h>
#include <unzip.h>

namespace {

voidpf ZCALLBACK OpenRegular(voidpf /*opaque*/, const void* filename, int mode) {
    if (filename == nullptr ||
        (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) {
        return nullptr;
    }
    auto file = CRegularFile::Open(static_cast<const char*>(filename));
    if (!file) {
        return nullptr;
    }
    const int fd = file->Release();
    FILE* stream = ::fdopen(fd, "rb");
    if (stream == nullptr) {
        ::close(fd);
    }
    return stream;
}

uLong ZCALLBACK ReadStream(voidpf /*opaque*/, voidpf stream, void* buf, uLong size) {
    return static_cast<uLong>(std::fread(buf, 1, size, static_cast<FILE*>(stream)));
}

uLong ZCALLBACK WriteStream(voidpf, voidpf, const void*, uLong) {
    return 0; // archives are never written
}

ZPOS64_T ZCALLBACK TellStream(voidpf /*opaque*/, voidpf stream) {
    const off_t pos = ::ftello(static_cast<FILE*>(stream));
    return pos < 0 ? std::numeric_limits<ZPOS64_T>::max() : static_cast<ZPOS64_T>(pos);
}

long ZCALLBACK SeekStream(voidpf /*opaque*/, voidpf stream, ZPOS64_T offset, int origin) {
    int whence = SEEK_SET;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_CUR:
        whence = SEEK_CUR;
        break;
    case ZLIB_FILEFUNC_SEEK_END:
        whence = SEEK_END;
        break;
    case ZLIB_FILEFUNC_SEEK_SET:
        break;
    default:
        return -1;
    }
    // A lying directory can ask for offsets no file has; refuse rather than wrap.
    if (offset > static_cast<ZPOS64_T>(std::numeric_limits<off_t>::max())) {
        return -1;
    }
    return ::fseeko(static_cast<FILE*>(stream), static_cast<off_t>(offset), whence) == 0 ? 0 : -1;
}

int ZCALLBACK CloseStream(voidpf /*opaque*/, voidpf stream) {
    return std::fclose(static_cast<FILE*>(stream));
}

int ZCALLBACK ErrorStream(voidpf /*opaque*/, voidpf stream) {
    return std::ferror(static_cast<FILE*>(stream));
}

zlib_filefunc64_def RegularFileFunctions() {
    zlib_filefunc64_def functions{};
    functions.zopen64_file = OpenRegular;
    functions.zread_file = ReadStream;
    functions.zwrite_file = WriteStream;
    functions.ztell64_file = TellStream;
    functions.zseek64_file = SeekStream;
    functions.zclose_file = CloseStream;
    functions.zerror_file = ErrorStream;
    functions.opaque = nullptr;
    return functions;
}

std::string TerminatedName(const char* chars, std::size_t length) {
    return std::string(chars, ::strnlen(chars, length));
}

} // namespace

CZipReader::~CZipReader() {
    if (m_hZip != nullptr) {
        CloseCurrentEntry();
        unzClose(m_hZip);
    }
}

bool CZipReader::Open(const std::string& path) {
    zlib_filefunc64_def functions = RegularFileFunctions();
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
    std::array<char, 256> shortName{};
    unz_file_info64 fileInfo{};
    if (unzGetCurrentFileInfo64(m_hZip, &fileInfo, shortName.data(), shortName.size(), nullptr, 0,
                                nullptr, 0) != UNZ_OK) {
        return false;
    }
    if (fileInfo.size_filename < shortName.size()) {
        info.name = TerminatedName(shortName.data(), fileInfo.size_filename);
    } else {
        std::string longName(fileInfo.size_filename + 1, '\0');
        if (unzGetCurrentFileInfo64(m_hZip, &fileInfo, longName.data(), longName.size(), nullptr, 0,
                                    nullptr, 0) != UNZ_OK) {
            return false;
        }
        info.name = TerminatedName(longName.data(), fileInfo.size_filename);
    }
    info.uncompressedSize = fileInfo.uncompressed_size;
    info.crc32 = static_cast<std::uint32_t>(fileInfo.crc);
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
        const int got = unzReadCurrentFile(m_hZip, buffer.data() + done, chunk);
        if (got <= 0) {
            break; // end of the entry, or damaged data: the rest stays as the caller set it
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
