// The archive file as minizip reads it: a regular file whose position is kept
// here rather than in the kernel, with reads served from one cached window of
// the file. minizip reads an archive's directory a few bytes at a time, after
// scanning up to 64 KiB back from the end for the directory's records;
// through stdio that took about twenty seeks and a dozen reads per archive,
// here it takes one pread for a small archive.
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
    // How minizip's open call is to open the archive, and what it found.
    struct OpenContext {
        bool listed = false; // open with CRegularFile::OpenListed
        FileError error;     // why the file could not be opened
    };

    // The file at `path` when it is a regular file (see CRegularFile), else
    // nullptr with the reason in `context.error`.
    static std::unique_ptr<CZipFileStream> Open(const std::string& path, OpenContext& context);
    static std::unique_ptr<CZipFileStream> Open(const std::string& path);
    // Takes over the open `file`; only Open() can call it.
    CZipFileStream(Key key, CRegularFile file);

    CZipFileStream(const CZipFileStream&) = delete;
    CZipFileStream& operator=(const CZipFileStream&) = delete;

    // Reads up to buffer.size() bytes at the position and moves past them;
    // fewer at the end of the file or on a read error.
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
    // Caches the part of the file around `position`; false when nothing is there.
    bool FillWindow(std::uint64_t position);

    CRegularFile m_file;
    std::uint64_t m_size; // as the file was opened; reads still stop only at the real end
    std::uint64_t m_position = 0;
    bool m_bError = false;
    std::unique_ptr<std::uint8_t[]> m_window;
    std::size_t m_nWindowCapacity = 0;
    std::uint64_t m_windowStart = 0;
    std::size_t m_nWindowLength = 0;
};
