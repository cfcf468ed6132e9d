// The bomb is streamed to the archive a few megabytes at a time; its CRC is
// worked out by combining CRCs rather than by running over the gigabytes.
#include "ZipBomb.h"

#include "DeflateWriter.h"
#include "RawZipWriter.h"

#include <stdexcept>
#include <zlib.h>

namespace testing_support {

namespace {

constexpr unsigned kLongestMatch = 258;
constexpr std::uint64_t kMatchesPerPiece = 1 << 20;

std::uint32_t CrcOf(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint32_t>(::crc32(0L, bytes.data(), static_cast<uInt>(bytes.size())));
}

// crc32_combine for any length: zlib's takes a `long`, 32 bits on Windows.
// Combining with a CRC of 0 only moves the first CRC past that many bytes,
// so a long stretch goes in steps.
uLong CombineCrc(uLong first, uLong second, std::uint64_t secondLength) {
    constexpr std::uint64_t kStep = 1u << 30;
    for (; secondLength > kStep; secondLength -= kStep) {
        first = ::crc32_combine(first, 0, static_cast<z_off_t>(kStep));
    }
    return ::crc32_combine(first, second, static_cast<z_off_t>(secondLength));
}

// CRC-32 of `count` copies of `byte`, by doubling.
std::uint32_t CrcOfRepeats(std::uint8_t byte, std::uint64_t count) {
    uLong result = 0;
    uLong unit = ::crc32(0L, &byte, 1);
    std::uint64_t unitLength = 1;
    for (; count > 0; count >>= 1) {
        if ((count & 1) != 0) {
            result = CombineCrc(result, unit, unitLength);
        }
        unit = CombineCrc(unit, unit, unitLength);
        unitLength *= 2;
    }
    return static_cast<std::uint32_t>(result);
}

} // namespace

ZipBombInfo WriteZipBomb(const std::string& path, const std::string& name,
                         std::span<const std::uint8_t> start, std::uint64_t inflatedSize) {
    if (start.empty() || inflatedSize < start.size()) {
        throw std::invalid_argument("a bomb needs a start no longer than its size");
    }
    const std::uint64_t repeats = inflatedSize - start.size();
    ZipBombInfo info;
    info.crc = static_cast<std::uint32_t>(
        CombineCrc(CrcOf(start), CrcOfRepeats(start.back(), repeats), repeats));

    RawZipWriter zip(path);
    zip.BeginEntry({.name = name, .method = Z_DEFLATED, .zip64 = true});
    const auto flush = [&](std::vector<std::uint8_t> bytes) {
        info.storedSize += bytes.size();
        zip.Write(bytes);
    };

    DeflateWriter deflate;
    deflate.BeginFixedBlock(true);
    deflate.Literals(start);
    std::uint64_t matches = repeats / kLongestMatch;
    while (matches > 0) {
        const std::uint64_t piece = matches < kMatchesPerPiece ? matches : kMatchesPerPiece;
        deflate.RepeatMatch(kLongestMatch, 1, piece);
        flush(deflate.TakeBytes());
        matches -= piece;
    }
    const auto rest = static_cast<unsigned>(repeats % kLongestMatch);
    if (rest >= 3) {
        deflate.Match(rest, 1);
    } else {
        for (unsigned i = 0; i < rest; ++i) {
            deflate.Literal(start.back());
        }
    }
    deflate.EndBlock();
    flush(deflate.Finish());
    zip.EndEntry(inflatedSize, info.crc);
    zip.Close();
    return info;
}

} // namespace testing_support
