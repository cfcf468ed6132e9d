// Whole-image hashing of plain files and ZIP entries.
#include "CImageHasher.h"

#include "CFileSystem.h"
#include "CRegularFile.h"
#include "CZipReader.h"

#include <algorithm>
#include <zlib.h>

namespace {

// The stretch of a read that every figure takes in turn: small enough for the
// processor's nearest caches.
constexpr std::size_t kSlice = 16 * 1024;

// ZIP methods the reader inflates: stored and deflated.
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
// minizip cannot be trusted to deliver an entry of 4 GiB or more whole (it
// does not take such sizes from the zip64 records on every system), and no
// cartridge image comes near that size.
constexpr std::uint64_t kLargestEntry = 0xFFFFFFFEu;

HashFailure HashFailureOf(FileFailure failure) {
    switch (failure) {
    case FileFailure::NotFound:
        return HashFailure::NotFound;
    case FileFailure::IsFolder:
        return HashFailure::IsFolder;
    case FileFailure::NotRegularFile:
        return HashFailure::NotRegularFile;
    case FileFailure::None:
    case FileFailure::Unreadable:
        break;
    }
    return HashFailure::Unreadable;
}

HashFailure HashFailureOf(LoadFailure failure) {
    switch (failure) {
    case LoadFailure::NotFound:
        return HashFailure::NotFound;
    case LoadFailure::IsFolder:
        return HashFailure::IsFolder;
    case LoadFailure::NotRegularFile:
        return HashFailure::NotRegularFile;
    case LoadFailure::NotZip:
        return HashFailure::NotZip;
    case LoadFailure::NoImageInArchive:
        return HashFailure::NoImageInArchive;
    case LoadFailure::None:
    case LoadFailure::Unreadable:
    case LoadFailure::TooLong:
        break;
    }
    return HashFailure::Unreadable;
}

const std::atomic<bool> kNeverStopped{false};

} // namespace

CImageHasher::CImageHasher()
    : m_buffer(std::make_unique_for_overwrite<std::uint8_t[]>(kReadSize)) {}

CImageHasher::~CImageHasher() = default;

HashResult CImageHasher::Hash(const std::string& path, const HashOptions& options) {
    return Hash(path, options, kNeverStopped);
}

HashResult CImageHasher::Hash(const std::string& path, const HashOptions& options,
                              const std::atomic<bool>& stop, const Progress& progress) {
    HashResult result;
    if (options.bDigests && !PrepareDigests()) {
        result.failure = HashFailure::NoDigest;
        result.failureText = "the system offers no SHA-1 or MD5";
        return result;
    }
    m_bDigests = options.bDigests;
    m_crc32 = static_cast<std::uint32_t>(::crc32(0L, Z_NULL, 0));
    m_nBytes = 0;
    m_scanner.Reset();

    std::optional<Failure> failure =
        CRomLoader::IsArchiveName(path) ? HashArchive(path, stop, progress, result.hashes.innerName)
                                        : HashPlain(path, stop, progress);
    // The digests are finished either way, so that the next image starts afresh.
    if (const auto finishing = FinishFigures(result.hashes); !failure) {
        failure = finishing;
    }
    if (failure) {
        result.failure = failure->failure;
        result.systemError = failure->systemError;
        result.failureText = std::move(failure->text);
        result.hashes = {};
    }
    return result;
}

bool CImageHasher::PrepareDigests() {
    if (!m_sha1) {
        m_sha1 = CSha1::Create();
    }
    if (!m_md5) {
        m_md5 = CMd5::Create();
    }
    return m_sha1 && m_md5;
}

void CImageHasher::Consume(std::span<const std::uint8_t> bytes, const Progress& progress) {
    // Every figure takes a slice while the nearest caches still hold it,
    // rather than each running over the whole read in turn.
    for (std::size_t at = 0; at < bytes.size(); at += kSlice) {
        const auto slice = bytes.subspan(at, std::min(kSlice, bytes.size() - at));
        m_crc32 = static_cast<std::uint32_t>(
            ::crc32(m_crc32, slice.data(), static_cast<uInt>(slice.size())));
        if (m_bDigests) {
            m_sha1->Update(slice);
            m_md5->Update(slice);
        }
        m_scanner.Feed(slice);
    }
    m_nBytes += bytes.size();
    if (progress.onBytes) {
        progress.onBytes(bytes.size());
    }
}

std::optional<CImageHasher::Failure> CImageHasher::FinishFigures(ImageHashes& hashes) {
    m_scanner.Finish();
    hashes.size = m_nBytes;
    hashes.crc32 = m_crc32;
    hashes.backupType = m_scanner.GetBackupType();
    if (!m_bDigests) {
        return std::nullopt;
    }
    hashes.sha1 = m_sha1->Final();
    hashes.md5 = m_md5->Final();
    if (!hashes.sha1 || !hashes.md5) {
        return Failure{HashFailure::NoDigest, 0, "the system could not finish a SHA-1 or MD5"};
    }
    return std::nullopt;
}

CImageHasher::Failure CImageHasher::LoaderFailure() const {
    return {HashFailureOf(m_loader.GetLastFailure()), m_loader.GetLastSystemError(),
            m_loader.DescribeLastFailure()};
}

std::optional<CImageHasher::Failure> CImageHasher::HashPlain(const std::string& path,
                                                             const std::atomic<bool>& stop,
                                                             const Progress& progress) {
    FileError error;
    const std::optional<CRegularFile> file = CRegularFile::Open(path, &error);
    if (!file) {
        return Failure{HashFailureOf(error.failure), error.code, CFileSystem::FileErrorText(error)};
    }
    // The size when opened bounds the reads: a file that grows meanwhile
    // cannot keep the hash going.
    const std::uint64_t size = file->Size();
    if (progress.onSize) {
        progress.onSize(size);
    }
    const auto buffer = std::span(m_buffer.get(), kReadSize);
    for (std::uint64_t offset = 0; offset < size;) {
        if (stop.load(std::memory_order_relaxed)) {
            return Failure{HashFailure::Stopped, 0, "stopped"};
        }
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(kReadSize, size - offset));
        bool failed = false;
        const std::size_t got = file->ReadAt(offset, buffer.first(wanted), &failed);
        if (failed) {
            return Failure{HashFailure::Unreadable, 0, "cannot be read"};
        }
        if (got == 0) {
            return Failure{HashFailure::Changed, 0, "got shorter while it was read"};
        }
        Consume(buffer.first(got), progress);
        offset += got;
    }
    return std::nullopt;
}

std::optional<CImageHasher::Failure> CImageHasher::HashArchive(const std::string& path,
                                                               const std::atomic<bool>& stop,
                                                               const Progress& progress,
                                                               std::string& innerName) {
    CZipReader zip;
    CZipReader::EntryInfo entry;
    if (m_loader.OpenArchiveImage(path, false, zip, entry) != 0) {
        return LoaderFailure();
    }
    if (entry.encrypted) {
        return Failure{HashFailure::UnsupportedEntry, 0,
                       "the entry " + entry.name + " is encrypted"};
    }
    if (entry.method != kStored && entry.method != kDeflated) {
        return Failure{HashFailure::UnsupportedEntry, 0,
                       "the entry " + entry.name + " is packed with a method other than deflate"};
    }
    if (entry.uncompressedSize > kLargestEntry) {
        return Failure{HashFailure::UnsupportedEntry, 0,
                       "the entry " + entry.name + " is 4 GiB or larger"};
    }
    innerName = entry.name;
    if (progress.onSize) {
        progress.onSize(entry.uncompressedSize);
    }
    if (!zip.OpenCurrentEntry()) {
        return Failure{HashFailure::DamagedArchive, 0,
                       "damaged archive: the entry " + entry.name + " cannot be opened"};
    }
    const auto buffer = std::span(m_buffer.get(), kReadSize);
    for (;;) {
        if (stop.load(std::memory_order_relaxed)) {
            return Failure{HashFailure::Stopped, 0, "stopped"};
        }
        // minizip delivers no more than the directory's size, so an entry
        // that inflates to more than it claims ends at the claim.
        const std::size_t got = zip.ReadCurrentEntry(buffer);
        Consume(buffer.first(got), progress);
        if (got < buffer.size()) {
            break;
        }
    }
    if (m_nBytes != entry.uncompressedSize) {
        return Failure{HashFailure::DamagedArchive, 0,
                       "damaged archive: the entry " + entry.name + " breaks off"};
    }
    if (m_crc32 != entry.crc32) {
        return Failure{HashFailure::DamagedArchive, 0,
                       "damaged archive: the entry " + entry.name + " does not match its CRC-32"};
    }
    return std::nullopt;
}
