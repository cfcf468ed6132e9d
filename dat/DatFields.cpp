// Field checks shared by the XML and the text DAT readers.
#include "DatFields.h"

#include "romio/AsciiCase.h"

#include <algorithm>
#include <limits>

namespace {

std::optional<std::uint8_t> HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<std::uint8_t>(c - '0');
    }
    const char upper = ToUpperAscii(c);
    if (upper >= 'A' && upper <= 'F') {
        return static_cast<std::uint8_t>(upper - 'A' + 10);
    }
    return std::nullopt;
}

bool IsAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsGameCode(std::string_view part) {
    return part.size() == 4 && std::all_of(part.begin(), part.end(), IsAsciiAlnum);
}

// A region or revision suffix after the code: a few letters and digits.
bool IsSuffix(std::string_view part) {
    return !part.empty() && part.size() <= 8 && std::all_of(part.begin(), part.end(), IsAsciiAlnum);
}

std::string_view TrimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

// The code in one serial: "BJBJ", "AGB-BJBJ", "BJBJ-EUR" or "AGB-BJBJ-EUR".
std::optional<std::string_view> GameCodeOf(std::string_view serial) {
    auto pieces = Split(serial, '-');
    if (pieces.size() > 1 && EqualsIgnoringAsciiCase(pieces.front(), "AGB")) {
        pieces.erase(pieces.begin());
    }
    if (pieces.empty() || pieces.size() > 2 || !IsGameCode(pieces[0]) ||
        (pieces.size() == 2 && !IsSuffix(pieces[1]))) {
        return std::nullopt;
    }
    return pieces[0];
}

// Length of the UTF-8 sequence a lead byte starts, with the range its second
// byte must lie in (which rules out overlong forms, surrogates and values
// above U+10FFFF); 0 for a byte that cannot lead.
struct Utf8Lead {
    std::size_t length;
    unsigned char secondLow;
    unsigned char secondHigh;
};

Utf8Lead Utf8LeadOf(unsigned char byte) {
    if (byte < 0x80) {
        return {1, 0, 0};
    }
    if (byte >= 0xC2 && byte <= 0xDF) {
        return {2, 0x80, 0xBF};
    }
    if (byte == 0xE0) {
        return {3, 0xA0, 0xBF};
    }
    if (byte == 0xED) {
        return {3, 0x80, 0x9F};
    }
    if (byte >= 0xE1 && byte <= 0xEF) {
        return {3, 0x80, 0xBF};
    }
    if (byte == 0xF0) {
        return {4, 0x90, 0xBF};
    }
    if (byte >= 0xF1 && byte <= 0xF3) {
        return {4, 0x80, 0xBF};
    }
    if (byte == 0xF4) {
        return {4, 0x80, 0x8F};
    }
    return {0, 0, 0};
}

} // namespace

std::optional<std::uint64_t> ParseDatSize(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

bool ParseHexBytes(std::string_view text, std::span<std::uint8_t> bytes) {
    if (text.size() != bytes.size() * 2) {
        return false;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto high = HexDigitValue(text[2 * i]);
        const auto low = HexDigitValue(text[2 * i + 1]);
        if (!high || !low) {
            return false;
        }
        bytes[i] = static_cast<std::uint8_t>(*high << 4 | *low);
    }
    return true;
}

std::optional<std::uint32_t> ParseDatCrc(std::string_view text) {
    std::array<std::uint8_t, 4> bytes{};
    if (!ParseHexBytes(text, bytes)) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const std::uint8_t byte : bytes) {
        value = value << 8 | byte;
    }
    return value;
}

std::optional<DumpStatus> ParseDumpStatus(std::string_view text) {
    if (text == "good") {
        return DumpStatus::Good;
    }
    if (text == "verified") {
        return DumpStatus::Verified;
    }
    if (text == "baddump") {
        return DumpStatus::BadDump;
    }
    if (text == "nodump") {
        return DumpStatus::NoDump;
    }
    return std::nullopt;
}

bool IsWellFormedUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const Utf8Lead lead = Utf8LeadOf(static_cast<unsigned char>(text[i]));
        if (lead.length == 0 || lead.length > text.size() - i) {
            return false;
        }
        for (std::size_t k = 1; k < lead.length; ++k) {
            const auto byte = static_cast<unsigned char>(text[i + k]);
            const unsigned char low = k == 1 ? lead.secondLow : 0x80;
            const unsigned char high = k == 1 ? lead.secondHigh : 0xBF;
            if (byte < low || byte > high) {
                return false;
            }
        }
        i += lead.length;
    }
    return true;
}

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

std::vector<std::string> SerialGameCodes(std::string_view serial) {
    std::vector<std::string> codes;
    for (const std::string_view part : Split(serial, ',')) {
        const auto code = GameCodeOf(TrimSpaces(part));
        if (code && std::find(codes.begin(), codes.end(), *code) == codes.end()) {
            codes.emplace_back(*code);
        }
    }
    return codes;
}

std::string QuoteForMessage(std::string_view text) {
    constexpr std::size_t kShown = 40;
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string quoted = "\"";
    for (const char c : text.substr(0, kShown)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
            quoted += c;
        } else {
            quoted += "\\x";
            quoted += kHex[byte >> 4];
            quoted += kHex[byte & 0x0F];
        }
    }
    quoted += text.size() > kShown ? "\"..." : "\"";
    return quoted;
}
