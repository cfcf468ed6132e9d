// Windows-1252 and UTF-8 conversions. The output is always valid UTF-8.
#include "TextConversion.h"

#include "romio/CFileSystem.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace {

// Code points of bytes 0x80-0x9F; the five unassigned bytes map to the C1
// control of the same value, as the web's Windows-1252 decoder does.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Length of the valid UTF-8 sequence starting at `i`, or 0 when it is not one
// (overlong forms, surrogates and code points past U+10FFFF are invalid).
std::size_t ValidSequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) {
            low = 0xA0;
        } else if (lead == 0xED) {
            high = 0x9F;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) {
            low = 0x90;
        } else if (lead == 0xF4) {
            high = 0x8F;
        }
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    if (byte(i + 1) < low || byte(i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) {
            return 0;
        }
    }
    return length;
}

} // namespace

std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendCp1252AsUtf8(out, text);
    return out;
}

void AppendCp1252AsUtf8(std::string& out, std::string_view text) {
    // ASCII, which most header texts are, is copied as a block.
    const auto firstHigh = std::find_if(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    out.append(text.begin(), firstHigh);
    for (const char c : text.substr(static_cast<std::size_t>(firstHigh - text.begin()))) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte <= 0x9F) {
            AppendUtf8(out, kHighControls[byte - 0x80]);
        } else {
            AppendUtf8(out, byte);
        }
    }
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    // Names and paths are mostly ASCII: pass over eight such bytes at a time.
    while (i + sizeof(std::uint64_t) <= text.size()) {
        std::uint64_t block = 0;
        std::memcpy(&block, text.data() + i, sizeof block);
        if ((block & 0x8080808080808080u) != 0) {
            break;
        }
        i += sizeof block;
    }
    while (i < text.size()) {
        const std::size_t length = ValidSequenceLength(text, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string FileNameToUtf8(std::string_view name) {
    return IsValidUtf8(name) ? std::string(name) : Cp1252ToUtf8(name);
}

std::string PathToUtf8(std::string_view path) {
    if (IsValidUtf8(path)) {
        return std::string(path);
    }
    std::string out;
    out.reserve(path.size());
    std::size_t start = 0;
    while (true) {
        const auto separator = std::find_if(path.begin() + static_cast<std::ptrdiff_t>(start),
                                            path.end(), CFileSystem::IsSeparator);
        const auto end = static_cast<std::size_t>(separator - path.begin());
        out += FileNameToUtf8(path.substr(start, end - start));
        if (separator == path.end()) {
            break;
        }
        out += *separator;
        start = end + 1;
    }
    return out;
}

std::string_view Cp1252AsUtf8(std::string_view text, std::string& scratch) {
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        return text;
    }
    scratch.clear();
    AppendCp1252AsUtf8(scratch, text);
    return scratch;
}

std::string_view FileNameAsUtf8(std::string_view name, std::string& scratch) {
    if (IsValidUtf8(name)) {
        return name;
    }
    scratch.clear();
    AppendCp1252AsUtf8(scratch, name);
    return scratch;
}

std::string_view PathAsUtf8(std::string_view path, std::string& scratch) {
    if (IsValidUtf8(path)) {
        return path;
    }
    scratch = PathToUtf8(path);
    return scratch;
}
