// Texts of DAT results and hashes.
#include "DatResultText.h"

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

} // namespace

std::string DatGameName(const DatMatch& match) {
    return match.rom != nullptr ? match.rom->gameName : std::string();
}

std::string DatRomName(const DatMatch& match) {
    return match.rom != nullptr ? match.rom->romName : std::string();
}

std::string DatResultText(const DatMatch& match) {
    std::string text(DatMatchStatusWord(match.status));
    if (match.rom != nullptr) {
        return text + ": " + match.rom->gameName;
    }
    if (match.status == DatMatchStatus::Unknown && !match.gamesWithGameCode.empty()) {
        text += " image of ";
        for (std::size_t i = 0; i < match.gamesWithGameCode.size(); ++i) {
            text += (i == 0 ? "" : ", ") + match.gamesWithGameCode[i];
        }
    }
    return text;
}

std::string HexCrc32(std::uint32_t crc32) {
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, crc32 >>= 4) {
        text[static_cast<std::size_t>(i)] = kHexDigits[crc32 & 0xF];
    }
    return text;
}
