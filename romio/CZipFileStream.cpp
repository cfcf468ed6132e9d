// Windowed, position-in-memory file access for minizip.
#include "CZipFileStream.h"

#include <algorithm>
#include <cstring>
#include <ioapi.h>
#include <limits>

static_assert(CZipFileStream::kSeekSet == ZLIB_FILEFUNC_SEEK_SET &&
              CZipFileStream::kSeekCur == ZLIB_FILEFUNC_SEEK_CUR &&
              CZipFileStream::kSeekEnd == ZLIB_FILEFUNC_SEEK_END);

namespace {

// What minizip scans back from the end for the directory records (0xFFFF
// bytes) plus one of its read chunks: a small archive fits whole.
constexpr std::size_t kTailWindow = 0x10000 + 0x400;
// Elsewhere (a local header, the start of an entry's data) a stdio-sized window.
constexpr std::size_t kHeadWindow = 4096;

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
    return std::make_unique<CZipFileStream>(Key{}, std::move(*file));
}

std::unique_ptr<CZipFileStream> CZipFileStream::Open(const std::string& path) {
    OpenContext context;
    return Open(path, context);
}

CZipFileStream::CZipFileStream(Key /*key*/, CRegularFile file)
    : m_file(std::move(file)), m_size(m_file.Size()) {}

bool CZipFileStream::FillWindow(std::uint64_t position) {
    if (!m_window) {
        // Never more than the file needs: a 5 KiB archive gets a 5 KiB window.
        m_nWindowCapacity =
            static_cast<std::size_t>(std::clamp<std::uint64_t>(m_size, kHeadWindow, kTailWindow));
        m_window = std::make_unique_for_overwrite<std::uint8_t[]>(m_nWindowCapacity);
    }
    std::uint64_t start = position;
    std::size_t length = std::min(kHeadWindow, m_nWindowCapacity);
    if (position < m_size && m_size - position <= m_nWindowCapacity) {
        // The directory records are near the end: take the whole tail at once.
        length = m_nWindowCapacity;
        start = m_size > length ? m_size - length : 0;
    }
    m_windowStart = start;
    m_nWindowLength = m_file.ReadAt(start, std::span(m_window.get(), length), &m_bError);
    return position >= m_windowStart && position - m_windowStart < m_nWindowLength;
}

std::size_t CZipFileStream::Read(std::span<std::uint8_t> buffer) {
    std::size_t done = 0;
    while (done < buffer.size()) {
        const std::size_t wanted = buffer.size() - done;
        if (m_position >= m_windowStart && m_position - m_windowStart < m_nWindowLength) {
            const auto from = static_cast<std::size_t>(m_position - m_windowStart);
            const std::size_t count = std::min(wanted, m_nWindowLength - from);
            std::memcpy(buffer.data() + done, m_window.get() + from, count);
            done += count;
            m_position += count;
            continue;
        }
        if (wanted >= kHeadWindow) {
            // A large read (an entry's data) goes straight to the caller.
            const std::size_t got = m_file.ReadAt(m_position, buffer.subspan(done), &m_bError);
            done += got;
            m_position += got;
            break;
        }
        if (!FillWindow(m_position)) {
            break; // end of the file, or an error
        }
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
