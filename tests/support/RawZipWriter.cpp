// Raw-mode entries through minizip's zip writer.
#include "RawZipWriter.h"

#include "ZipBuilder.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <zip.h>
#include <zlib.h>

namespace testing_support {

RawZipWriter::RawZipWriter(const std::string& path) : m_strPath(path) {
    m_hZip = CreateZipFile(path);
    if (m_hZip == nullptr) {
        throw std::runtime_error("cannot create " + path);
    }
}

RawZipWriter::~RawZipWriter() {
    if (m_hZip != nullptr) {
        zipClose(m_hZip, nullptr);
    }
}

void RawZipWriter::BeginEntry(const Entry& entry) {
    zip_fileinfo info{};
    // Raw mode: the bytes written are stored as given; flagBase sets the
    // general purpose bits, and no password is involved.
    if (zipOpenNewFileInZip4_64(m_hZip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                entry.method, Z_DEFAULT_COMPRESSION, 1, -MAX_WBITS, 8,
                                Z_DEFAULT_STRATEGY, nullptr, 0, 0, entry.flags,
                                entry.zip64 ? 1 : 0) != ZIP_OK) {
        throw std::runtime_error("cannot start entry " + entry.name + " in " + m_strPath);
    }
}

void RawZipWriter::Write(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const std::size_t chunk =
            std::min<std::size_t>(bytes.size(), std::numeric_limits<unsigned>::max() / 2);
        if (zipWriteInFileInZip(m_hZip, bytes.data(), static_cast<unsigned>(chunk)) != ZIP_OK) {
            throw std::runtime_error("cannot write to " + m_strPath);
        }
        bytes = bytes.subspan(chunk);
    }
}

void RawZipWriter::EndEntry(std::uint64_t uncompressedSize, std::uint32_t crc) {
    if (zipCloseFileInZipRaw64(m_hZip, uncompressedSize, crc) != ZIP_OK) {
        throw std::runtime_error("cannot end an entry of " + m_strPath);
    }
}

void RawZipWriter::AddEntry(const Entry& entry, std::span<const std::uint8_t> stored,
                            std::uint64_t uncompressedSize, std::uint32_t crc) {
    BeginEntry(entry);
    Write(stored);
    EndEntry(uncompressedSize, crc);
}

void RawZipWriter::Close() {
    void* zip = m_hZip;
    m_hZip = nullptr;
    if (zipClose(zip, nullptr) != ZIP_OK) {
        throw std::runtime_error("cannot finish " + m_strPath);
    }
}

} // namespace testing_support
