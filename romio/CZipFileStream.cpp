// Windowed, position-in-memory file access for minizip.
#include "CZipFileStream.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <ioapi.h>
#include <limits>

static_assert(CZipFileStream::kSeekSet == ZLIB_FILEFUNC_SEEK_SET &&
              CZipFileStream::kSeekCur == ZLIB_FILEFUNC_SEEK_CUR &&
              CZipFileStream::kSeekEnd == ZLIB_FILEFUNC_SEEK_END);

namespace {

// minizip's search for a Zip64 end locator: backwards over the file's last
// 0xFFFF bytes (all of a smaller file), in chunks of 0x404 bytes, the first
// ending at the end of the file, each scanned a byte at a time for the
// locator's signature.
constexpr std::uint64_t kZip64SearchReach = 0xFFFF;
constexpr std::uint64_t kZip64SearchChunk = 0x404;
constexpr std::array<std::uint8_t, 4> kZip64LocatorSignature = {0x50, 0x4B, 0x06, 0x07};

static_assert(CZipFileStream::kTailSize >= kZip64SearchReach,
              "minizip's searches for the end records must find everything in the tail");

bool HoldsZip64LocatorSignature(std::span<const std::uint8_t> bytes) {
    const auto* at = bytes.data();
    const auto* const end = bytes.data() + bytes.size();
    while (end - at >= static_cast<std::ptrdiff_t>(kZip64LocatorSignature.size())) {
        at = static_cast<const std::uint8_t*>(
            std::memchr(at, kZip64LocatorSignature[0],
                        static_cast<std::size_t>(end - at) - kZip64LocatorSignature.size() + 1));
        if (at == nullptr) {
            return false;
        }
        if (std::equal(kZip64LocatorSignature.begin(), kZip64LocatorSignature.end(), at)) {
            return true;
        }
        ++at;
    }
    return false;
}

// Outside the tail, a read of this much or more that the head window cannot
// serve whole is not worth copying twice.
constexpr std::size_t kDirectRead = 4096;

// The largest offset any file can have.
constexpr auto kMaxOffset = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

CZipFileStream* StreamOf(voidpf stream) {
    return static_cast<CZipFileStream*>(stream);
}

voidpf ZCALLBACK OpenStream(voidpf opaque, const void* filename, int mode) {
    if (filename == nullptr ||
        (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) {
        return nullptr;
    }
    // minizip owns the stream from here and hands it back to CloseStream.
    auto& context = *static_cast<CZipFileStream::OpenContext*>(opaque);
    return CZipFileStream::Open(static_cast<const char*>(filename), context).release();
}

uLong ZCALLBACK ReadStream(voidpf /*opaque*/, voidpf stream, void* buf, uLong size) {
    return static_cast<uLong>(
        StreamOf(stream)->Read(std::span(static_cast<std::uint8_t*>(buf), size)));
}

uLong ZCALLBACK WriteStream(voidpf, voidpf, const void*, uLong) {
    return 0; // archives are never written
}

ZPOS64_T ZCALLBACK TellStream(voidpf /*opaque*/, voidpf stream) {
    return StreamOf(stream)->Tell();
}

long ZCALLBACK SeekStream(voidpf /*opaque*/, voidpf stream, ZPOS64_T offset, int origin) {
    return StreamOf(stream)->Seek(offset, origin) ? 0 : -1;
}

int ZCALLBACK CloseStream(voidpf /*opaque*/, voidpf stream) {
    // Owned by minizip from the open on; it hands it back here once.
    const std::unique_ptr<CZipFileStream> closing(StreamOf(stream));
    return 0;
}

int ZCALLBACK ErrorStream(voidpf /*opaque*/, voidpf stream) {
    return StreamOf(stream)->HasError() ? 1 : 0;
}

} // namespace

std::unique_ptr<CZipFileStream> CZipFileStream::Open(const std::string& path,
                                                     OpenContext& context) {
    auto file = context.listed ? CRegularFile::OpenListed(path, &context.error)
                               : CRegularFile::Open(path, &context.error);
    if (!file) {
        return nullptr;
    }
    return std::make_unique<CZipFileStream>(Key{}, std::move(*file), context.skipFutileZip64Search);
}

std::unique_ptr<CZipFileStream> CZipFileStream::Open(const std::string& path) {
    OpenContext context;
    return Open(path, context);
}

CZipFileStream::CZipFileStream(Key /*key*/, CRegularFile file, bool skipFutileZip64Search)
    : m_file(std::move(file)), m_size(m_file.Size()),
      m_bSkipFutileZip64Search(skipFutileZip64Search) {
    // Never more than the file has: a 5 KiB archive gets a 5 KiB tail.
    const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(m_size, kTailSize));
    m_tail.start = m_size - length;
    if (length > 0) {
        m_tail.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(length);
        m_tail.length =
            m_file.ReadAt(m_tail.start, std::span(m_tail.bytes.get(), length), &m_bError);
    }
}

std::size_t CZipFileStream::CopyFrom(const Window& window, std::span<std::uint8_t> buffer) {
    const auto from = static_cast<std::size_t>(m_position - window.start);
    const std::size_t count = std::min(buffer.size(), window.length - from);
    std::memcpy(buffer.data(), window.bytes.get() + from, count);
    m_position += count;
    return count;
}

std::size_t CZipFileStream::ReadOutsideTail(std::span<std::uint8_t> buffer) {
    // Up to the tail at most: from there on the bytes are those read at the opening.
    if (m_position < m_tail.start) {
        buffer = buffer.first(static_cast<std::size_t>(
            std::min<std::uint64_t>(buffer.size(), m_tail.start - m_position)));
    }
    if (m_head.Holds(m_position) && m_head.length - (m_position - m_head.start) >= buffer.size()) {
        return CopyFrom(m_head, buffer);
    }
    if (buffer.size() >= kDirectRead) {
        // A large read that the window cannot serve whole (an entry's data
        // after its first 16 KiB) goes straight to the caller.
        const std::size_t got = m_file.ReadAt(m_position, buffer, &m_bError);
        m_position += got;
        return got;
    }
    if (!m_head.bytes) {
        m_head.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(kHeadWindow);
    }
    m_head.start = m_position;
    m_head.length =
        m_file.ReadAt(m_position, std::span(m_head.bytes.get(), kHeadWindow), &m_bError);
    return m_head.Holds(m_position) ? CopyFrom(m_head, buffer) : 0;
}

bool CZipFileStream::IsFutileZip64Search(std::size_t length) const {
    const std::uint64_t reach = std::min(m_size, kZip64SearchReach);
    const std::uint64_t firstChunk = std::min(reach, kZip64SearchChunk);
    if (reach <= kZip64LocatorSignature.size() || length != firstChunk ||
        m_position != m_size - firstChunk) {
        return false; // not that search's first read
    }
    if (m_tail.start > m_size - reach || m_tail.start + m_tail.length != m_size) {
        return false; // the tail could not be read whole: let minizip look for itself
    }
    const auto searched = std::span(m_tail.bytes.get(), m_tail.length)
                              .subspan(static_cast<std::size_t>(m_size - reach - m_tail.start));
    return !HoldsZip64LocatorSignature(searched);
}

std::size_t CZipFileStream::Read(std::span<std::uint8_t> buffer) {
    // minizip reads the directory's fields a byte or two at a time: those
    // reads, all in the tail, take the shortest way, the rest ReadElsewhere().
    const std::uint64_t intoTail = m_position - m_tail.start;
    if (m_bFirstRead || m_position < m_tail.start || intoTail > m_tail.length ||
        buffer.size() > m_tail.length - intoTail || buffer.empty()) [[unlikely]] {
        return ReadElsewhere(buffer);
    }
    const std::uint8_t* const from = m_tail.bytes.get() + intoTail;
    if (buffer.size() == 1) {
        buffer[0] = *from;
    } else {
        std::memcpy(buffer.data(), from, buffer.size());
    }
    m_position += buffer.size();
    return buffer.size();
}

std::size_t CZipFileStream::ReadElsewhere(std::span<std::uint8_t> buffer) {
    if (m_bFirstRead) {
        m_bFirstRead = false;
        if (m_bSkipFutileZip64Search && IsFutileZip64Search(buffer.size())) {
            return 0;
        }
    }
    std::size_t done = 0;
    while (done < buffer.size()) {
        const auto rest = buffer.subspan(done);
        const std::size_t got =
            m_tail.Holds(m_position) ? CopyFrom(m_tail, rest) : ReadOutsideTail(rest);
        if (got == 0) {
            break; // the end of the file, or an error
        }
        done += got;
    }
    return done;
}

bool CZipFileStream::Seek(std::uint64_t offset, int origin) {
    std::uint64_t base = 0;
    switch (origin) {
    case kSeekSet:
        break;
    case kSeekCur: {
        // minizip steps back through a record with a negative relative offset,
        // passed wrapped in the unsigned type.
        const auto step = static_cast<std::int64_t>(offset);
        if (step < 0 ? static_cast<std::uint64_t>(-(step + 1)) + 1 > m_position
                     : static_cast<std::uint64_t>(step) > kMaxOffset - m_position) {
            return false;
        }
        m_position = step < 0 ? m_position - (static_cast<std::uint64_t>(-(step + 1)) + 1)
                              : m_position + static_cast<std::uint64_t>(step);
        return true;
    }
    case kSeekEnd:
        base = m_size;
        break;
    default:
        return false;
    }
    // A lying directory can ask for offsets no file has; refuse rather than wrap.
    if (offset > kMaxOffset || offset > kMaxOffset - base) {
        return false;
    }
    m_position = base + offset;
    return true;
}

void CZipFileStream::FillFileFunctions(zlib_filefunc64_def_s& functions, OpenContext& context) {
    functions = {};
    functions.zopen64_file = OpenStream;
    functions.zread_file = ReadStream;
    functions.zwrite_file = WriteStream;
    functions.ztell64_file = TellStream;
    functions.zseek64_file = SeekStream;
    functions.zclose_file = CloseStream;
    functions.zerror_file = ErrorStream;
    functions.opaque = &context;
}
