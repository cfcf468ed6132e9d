// The matching rules, and the list of what a collection lacks.
#include "CDatMatcher.h"

#include <algorithm>
#include <tuple>

namespace {

std::string_view LastComponent(std::string_view name) {
    // DATs separate folders in ROM names with "\", archives with "/".
    const auto separator = name.find_last_of("/\\");
    return separator == std::string_view::npos ? name : name.substr(separator + 1);
}

bool NamesMatch(const DatRom& rom, std::string_view fileName) {
    return LastComponent(rom.romName) == LastComponent(fileName);
}

template <typename Digest>
bool Disagree(const std::optional<Digest>& listed, const std::optional<Digest>& computed) {
    return listed && computed && *listed != *computed;
}

bool AgreesWithImage(const DatRom& rom, const ImageFacts& image) {
    return rom.status != DumpStatus::NoDump && rom.size == image.size &&
           !Disagree(rom.crc32, image.crc32) && !Disagree(rom.sha1, image.sha1) &&
           !Disagree(rom.md5, image.md5);
}

// Two listings of the same dump: the same size, a hash both list, and no
// hash they both list that differs.
bool SameDump(const DatRom& a, const DatRom& b) {
    const bool shareHash = (a.crc32 && b.crc32) || (a.sha1 && b.sha1) || (a.md5 && b.md5);
    return a.size == b.size && shareHash && !Disagree(a.crc32, b.crc32) &&
           !Disagree(a.sha1, b.sha1) && !Disagree(a.md5, b.md5);
}

// Orders ROMs by size and CRC-32 (none first), to find a ROM's fellows.
using DumpKey = std::tuple<std::uint64_t, bool, std::uint32_t>;
DumpKey KeyOf(const DatRom& rom) {
    return {rom.size, rom.crc32.has_value(), rom.crc32.value_or(0)};
}

class MatchedDumps {
public:
    explicit MatchedDumps(std::span<const DatMatch> matches) {
        for (const DatMatch& match : matches) {
            if (match.rom != nullptr) {
                m_roms.push_back(match.rom);
            }
        }
        std::sort(m_roms.begin(), m_roms.end(),
                  [](const DatRom* a, const DatRom* b) { return KeyOf(*a) < KeyOf(*b); });
    }

    bool Contains(const DatRom& rom) const {
        if (!rom.crc32) {
            // A ROM listing no CRC-32 may be the same dump as any of its size.
            return AnyIn({rom.size, false, 0}, {rom.size, true, 0xFFFFFFFF}, rom);
        }
        // The same CRC-32, or none listed by the ROM matched.
        return AnyIn(KeyOf(rom), KeyOf(rom), rom) ||
               AnyIn({rom.size, false, 0}, {rom.size, false, 0}, rom);
    }

private:
    // True when a matched ROM with a key from `low` to `high` is `rom`'s dump.
    bool AnyIn(const DumpKey& low, const DumpKey& high, const DatRom& rom) const {
        auto row =
            std::lower_bound(m_roms.begin(), m_roms.end(), low,
                             [](const DatRom* a, const DumpKey& key) { return KeyOf(*a) < key; });
        for (; row != m_roms.end() && KeyOf(**row) <= high; ++row) {
            if (*row == &rom || SameDump(**row, rom)) {
                return true;
            }
        }
        return false;
    }

    std::vector<const DatRom*> m_roms;
};

} // namespace

DatMatch CDatMatcher::Match(const ImageFacts& image) const {
    DatMatch match;
    if (m_index.IsEmpty() || !image.crc32) {
        return match;
    }
    match.rom = BestMatch(image);
    if (match.rom == nullptr) {
        match.status = DatMatchStatus::Unknown;
        match.gamesWithGameCode = GamesWithGameCode(image.gameCode);
        return match;
    }
    match.status =
        match.rom->status == DumpStatus::BadDump ? DatMatchStatus::BadDump : DatMatchStatus::Good;
    match.nameMatches = NamesMatch(*match.rom, image.fileName);
    return match;
}

const DatRom* CDatMatcher::BestMatch(const ImageFacts& image) const {
    std::vector<const DatRom*> candidates = m_index.FindBySizeAndCrc(image.size, *image.crc32);
    if (image.sha1) {
        // ROMs listing a SHA-1 but no CRC-32; those with one were found above.
        for (const DatRom* rom : m_index.FindBySha1(*image.sha1)) {
            if (!rom->crc32) {
                candidates.push_back(rom);
            }
        }
    }
    const DatRom* best = nullptr;
    std::pair<bool, bool> bestRank{true, true}; // (bad dump, other name): lower is better
    for (const DatRom* rom : candidates) {
        if (!AgreesWithImage(*rom, image)) {
            continue;
        }
        const std::pair<bool, bool> rank{rom->status == DumpStatus::BadDump,
                                         !NamesMatch(*rom, image.fileName)};
        if (best == nullptr || rank < bestRank) {
            best = rom;
            bestRank = rank;
        }
    }
    return best;
}

std::vector<std::string> CDatMatcher::GamesWithGameCode(std::string_view gameCode) const {
    std::vector<std::string> games;
    for (const DatRom* rom : m_index.FindByGameCode(gameCode)) {
        if (std::find(games.begin(), games.end(), rom->gameName) == games.end()) {
            games.push_back(rom->gameName);
        }
    }
    return games;
}

std::vector<MissingGame> CDatMatcher::FindMissing(std::span<const DatMatch> matches) const {
    const MatchedDumps matched(matches);
    std::vector<MissingGame> missing;
    for (std::size_t position = 0; position < m_index.DatCount(); ++position) {
        const CDatFile& dat = m_index.DatAt(position);
        const std::vector<DatRom>& roms = dat.Roms();
        // A game's ROMs are next to each other.
        for (auto game = roms.begin(); game != roms.end();) {
            const auto end = std::find_if(game, roms.end(), [&](const DatRom& rom) {
                return rom.gameName != game->gameName;
            });
            bool dumped = false;
            bool present = true;
            for (auto rom = game; rom != end; ++rom) {
                if (rom->status != DumpStatus::NoDump) {
                    dumped = true;
                    present = present && matched.Contains(*rom);
                }
            }
            if (dumped && !present) {
                missing.push_back({&dat.Source(), game->gameName});
            }
            game = end;
        }
    }
    return missing;
}
