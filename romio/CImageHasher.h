// Hashes one ROM image whole, for checking it against checksum lists: a
// plain file read in large reads, or the entry of a ZIP archive that a load
// reads (CRomLoader::OpenArchiveImage) inflated as it goes. Gives the size,
// the CRC-32, SHA-1 and MD5 when asked, and the save type found on the way
// (CBackupTypeScanner). An entry whose inflated data breaks off or does not
// match the directory's CRC-32 is reported as a damaged archive. Memory stays
// at one read buffer whatever sizes a file or archive claims.
//
// One object serves one thread at a time and is best kept for many images:
// its buffer and digest contexts are reused.
#pragma once

#include "CBackupTypeScanner.h"
#include "CDigest.h"
#include "CGbaRomLoader.h"
#include "ImageHashes.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

class CImageHasher {
public:
    // Bytes asked for in each read of a plain file, and inflated at a time
    // from an archive.
    static constexpr std::size_t kReadSize = std::size_t{1} << 20;

    // Told on the hashing thread how a hash goes; either may be left empty.
    struct Progress {
        // The image's size, known once it is opened (before its first read).
        std::function<void(std::uint64_t size)> onSize;
        // After each read: how many bytes it added to the hash.
        std::function<void(std::size_t bytes)> onBytes;
    };

    CImageHasher();
    ~CImageHasher();
    CImageHasher(const CImageHasher&) = delete;
    CImageHasher& operator=(const CImageHasher&) = delete;

    // Hashes the image at `path` (a name ending in .zip is read as a ZIP
    // archive). `stop` is looked at before every read: once it is set the
    // hash ends there, with the failure Stopped.
    HashResult Hash(const std::string& path, const HashOptions& options,
                    const std::atomic<bool>& stop, const Progress& progress = {});
    // The same, never stopped.
    HashResult Hash(const std::string& path, const HashOptions& options = {});

private:
    // Why a hash ends early. The image's figures are dropped.
    struct Failure {
        HashFailure failure = HashFailure::None;
        int systemError = 0;
        std::string text;
    };

    std::optional<Failure> HashPlain(const std::string& path, const std::atomic<bool>& stop,
                                     const Progress& progress);
    std::optional<Failure> HashArchive(const std::string& path, const std::atomic<bool>& stop,
                                       const Progress& progress, std::string& innerName);
    // Adds the bytes just read to every figure.
    void Consume(std::span<const std::uint8_t> bytes, const Progress& progress);
    // The digest contexts, made on first use; false when the system has none.
    bool PrepareDigests();
    // Sets the figures of a hash that got to the end; a failure when a digest
    // could not be finished.
    std::optional<Failure> FinishFigures(ImageHashes& hashes);
    // The failure CRomLoader reported.
    Failure LoaderFailure() const;

    CGbaRomLoader m_loader; // chooses the entry inside an archive
    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::optional<CSha1> m_sha1;
    std::optional<CMd5> m_md5;
    CBackupTypeScanner m_scanner;
    // The hash under way.
    bool m_bDigests = false;
    std::uint32_t m_crc32 = 0;
    std::uint64_t m_nBytes = 0;
};
