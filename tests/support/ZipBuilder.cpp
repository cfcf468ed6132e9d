// ZIP fixtures through minizip's zip writer.
#include "ZipBuilder.h"

#include "TempDir.h"

#include <stdexcept>
#include <zip.h>
#include <zlib.h>
#ifdef _WIN32
#include <iowin32.h>
#endif

namespace testing_support {

std::uint32_t Crc32Of(const std::vector<std::uint8_t>& data) {
    return static_cast<std::uint32_t>(::crc32(0L, data.data(), static_cast<uInt>(data.size())));
}

std::vector<std::uint8_t> TextBytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

namespace {

void WriteRawStored(zipFile zip, const ZipItem& item) {
    // Raw mode lets the test choose the CRC that goes into the directory.
    zip_fileinfo info{};
    if (zipOpenNewFileInZip2(zip, item.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, 0, 0,
                             1) != ZIP_OK ||
        zipWriteInFileInZip(zip, item.data.data(), static_cast<unsigned>(item.data.size())) !=
            ZIP_OK ||
        zipCloseFileInZipRaw(zip, static_cast<uLong>(item.data.size()), item.crc) != ZIP_OK) {
        throw std::runtime_error("cannot write raw entry " + item.name);
    }
}

void WriteNormal(zipFile zip, const ZipItem& item) {
    zip_fileinfo info{};
    const int method = item.deflate ? Z_DEFLATED : 0;
    if (zipOpenNewFileInZip64(zip, item.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                              method, Z_DEFAULT_COMPRESSION, item.zip64 ? 1 : 0) != ZIP_OK ||
        (!item.data.empty() &&
         zipWriteInFileInZip(zip, item.data.data(), static_cast<unsigned>(item.data.size())) !=
             ZIP_OK) ||
        zipCloseFileInZip(zip) != ZIP_OK) {
        throw std::runtime_error("cannot write entry " + item.name);
    }
}

} // namespace

void* CreateZipFile(const std::string& path) {
#ifdef _WIN32
    zlib_filefunc64_def functions;
    fill_win32_filefunc64W(&functions);
    return zipOpen2_64(NativePath(path).c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
#else
    return zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
#endif
}

void WriteZip(const std::string& path, const std::vector<ZipItem>& items) {
    zipFile zip = CreateZipFile(path);
    if (zip == nullptr) {
        throw std::runtime_error("cannot create " + path);
    }
    try {
        for (const ZipItem& item : items) {
            if (item.overrideCrc) {
                WriteRawStored(zip, item);
            } else {
                WriteNormal(zip, item);
            }
        }
    } catch (...) {
        zipClose(zip, nullptr);
        throw;
    }
    if (zipClose(zip, nullptr) != ZIP_OK) {
        throw std::runtime_error("cannot finish " + path);
    }
}

} // namespace testing_support
