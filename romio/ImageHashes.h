// What hashing a whole image gives (CImageHasher, CBatchHasher): its size,
// CRC-32, optionally SHA-1 and MD5, and the save memory its game uses, or
// why the image could not be hashed. The figures are those of the image
// itself: for a ZIP archive, of the entry a scan shows, inflated.
#pragma once

#include "CDigest.h"

#include <cstdint>
#include <optional>
#include <string>

enum class HashFailure : std::uint8_t {
    None,
    NotFound,         // no file by that name
    IsFolder,         // a folder
    NotRegularFile,   // a device, pipe, socket or reserved device name
    Unreadable,       // there, but it cannot be opened or read
    Changed,          // the file got shorter while it was read
    NotZip,           // named .zip but no ZIP archive
    NoImageInArchive, // a ZIP archive without an entry of an accepted extension
    UnsupportedEntry, // the entry is encrypted, packed other than stored or deflated, or 4 GiB+
    DamagedArchive,   // the entry's data breaks off, or differs from its directory's CRC-32
    NoDigest,         // SHA-1 or MD5 was asked for, and the system offers none
    Stopped,          // stopped before the end
};

struct ImageHashes {
    // The entry hashed inside a ZIP archive; "" for a plain file.
    std::string innerName;
    std::uint64_t size = 0;
    std::uint32_t crc32 = 0;
    // Only when asked for (HashOptions::bDigests).
    std::optional<Sha1Digest> sha1;
    std::optional<Md5Digest> md5;
    // The save library's id found in the image, e.g. "FLASH1M_V103" or
    // "EEPROM_V124"; "" when it has none (no save memory, or one the usual
    // libraries do not drive).
    std::string backupType;
};

struct HashResult {
    HashFailure failure = HashFailure::None;
    int systemError = 0;     // the system's error code, where it said one
    std::string failureText; // the failure in words, for a message; "" on success
    ImageHashes hashes;      // only when failure == None

    bool Succeeded() const { return failure == HashFailure::None; }
};

// How an image is to be hashed.
struct HashOptions {
    // Also SHA-1 and MD5; size, CRC-32 and the save type are always worked out.
    bool bDigests = false;
};
