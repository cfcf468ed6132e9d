// The archive file as minizip reads it: a regular file whose position is kept
// here rather than in the kernel. The file's tail (minizip's search for the
// end records, the central directory, and the whole of a small archive) is
// read once, with one read, when the file is opened; every read minizip makes
// there is served from memory. Reads elsewhere (the local header and the
// start of an entry's data in a large archive) go to the file at their
// offset, through a second, smaller window; the rest of a long entry's data
// is read straight into minizip's buffer.
#pragma once

#include "CRegularFile.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

struct zlib_filefunc64_def_s;

class CZipFileStream {
    struct Key {
        explicit Key() = default;
    };

public:
    // What the tail read at the opening holds: the last 64 KiB minizip
    // searches backwards for the end records (twice), 16 KiB more for a
    // directory that starts before them, and so a whole archive up to 80 KiB,
    // local headers and data included.
    static constexpr std::size_t kTailSize = 0x14000;
    // A read outside the tail fills this much from its offset on: a local
    // header with its name and extra field, and the 16 KiB minizip then reads
    // of the entry's compressed data.
    static constexpr std::size_t kHeadWindow = 0x5000;

    // How minizip's open call is to open the archive, and what it found.
    struct OpenContext {
        bool listed = false; // open with CRegularFile::OpenListed
        // Answer minizip's search for a Zip64 end locator with nothing when
        // the tail holds no locator's signature (see Read()).
        bool skipFutileZip64Search = false;
        FileError error; // why the file could not be opened
    };

    // The file at `path` when it is a regular file (see CRegularFile), with
    // its tail read, else nullptr with the reason in `context.error`.
    static std::unique_ptr<CZipFileStream> Open(const std::string& path, OpenContext& context);
    static std::unique_ptr<CZipFileStream> Open(const std::string& path);
    // Takes over the open `file` and reads its tail; only Open() can call it.
    CZipFileStream(Key key, CRegularFile file, bool skipFutileZip64Search);

    CZipFileStream(const CZipFileStream&) = delete;
    CZipFileStream& operator=(const CZipFileStream&) = delete;

    // Reads up to buffer.size() bytes at the position and moves past them;
    // fewer at the end of the file or on a read error.
    //
    // With skipFutileZip64Search, the first read, when it is exactly the first
    // chunk of minizip's backward search for a Zip64 end locator and the
    // searched stretch holds no locator signature, delivers nothing: minizip
    // then stops that search with the answer a byte-by-byte scan of 64 KiB
    // would have given (no Zip64 archive) and goes on to the ordinary end
    // record, read from memory as usual.
    std::size_t Read(std::span<std::uint8_t> buffer);
    // minizip's seek origins (ZLIB_FILEFUNC_SEEK_*).
    static constexpr int kSeekSet = 0;
    static constexpr int kSeekCur = 1;
    static constexpr int kSeekEnd = 2;

    // Moves to `offset` from the start, the position (as a signed step) or the
    // end, like fseeko; false for a position before the start or past what
    // off_t holds, and for an unknown origin.
    bool Seek(std::uint64_t offset, int origin);
    std::uint64_t Tell() const { return m_position; }
    bool HasError() const { return m_bError; }

    // minizip's file functions over this class, for unzOpen2_64; its open
    // call opens as `context` says and leaves the reason of a failure there.
    static void FillFileFunctions(zlib_filefunc64_def_s& functions, OpenContext& context);

private:
    // A stretch of the file held in memory.
    struct Window {
        std::unique_ptr<std::uint8_t[]> bytes;
        std::uint64_t start = 0;
        std::size_t length = 0;

        bool Holds(std::uint64_t position) const {
            return position >= start && position - start < length;
        }
    };

    // Copies what `window` holds from the position on into `buffer` and moves
    // past it; returns the count.
    std::size_t CopyFrom(const Window& window, std::span<std::uint8_t> buffer);
    // Read() for all but a read inside the tail after the first.
    std::size_t ReadElsewhere(std::span<std::uint8_t> buffer);
    // A read that starts outside the tail.
    std::size_t ReadOutsideTail(std::span<std::uint8_t> buffer);
    bool IsFutileZip64Search(std::size_t length) const;

    CRegularFile m_file;
    std::uint64_t m_size; // as the file was opened; reads still stop only at the real end
    std::uint64_t m_position = 0;
    bool m_bError = false;
    bool m_bSkipFutileZip64Search;
    bool m_bFirstRead = true;
    Window m_tail;
    Window m_head;
};
