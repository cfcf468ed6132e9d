// The invariants behind the DAT fuzz targets.
#include "DatFuzzChecks.h"

#include "FuzzChecks.h"
#include "dat/CDatFile.h"
#include "dat/CDatIndex.h"
#include "dat/CDatMatcher.h"
#include "dat/DatFields.h"

#include <algorithm>
#include <set>
#include <string>

namespace fuzz_checks {

namespace {

// Matching a ROM's own facts is enough work per input for a few of them.
constexpr std::size_t kRomsMatched = 32;

void CheckRoms(const CDatFile& dat) {
    std::set<std::string> finishedGames;
    const std::vector<DatRom>& roms = dat.Roms();
    for (std::size_t i = 0; i < roms.size(); ++i) {
        const DatRom& rom = roms[i];
        for (const std::string* name : {&rom.gameName, &rom.romName}) {
            QB_FUZZ_REQUIRE(!name->empty() && IsWellFormedUtf8(*name) &&
                            !HasControlCharacter(*name));
        }
        QB_FUZZ_REQUIRE(IsWellFormedUtf8(rom.serial));
        QB_FUZZ_REQUIRE(rom.status <= DumpStatus::NoDump);
        QB_FUZZ_REQUIRE(rom.source.get() == &dat.Source());
        // A game's ROMs are next to each other, and no game comes twice.
        if (i + 1 == roms.size() || roms[i + 1].gameName != rom.gameName) {
            QB_FUZZ_REQUIRE(finishedGames.insert(rom.gameName).second);
        }
    }
    QB_FUZZ_REQUIRE(finishedGames.size() <= dat.GameCount());
}

void CheckEveryDumpMatchesItself(const CDatIndex& index) {
    const CDatMatcher matcher(index);
    const std::vector<DatRom>& roms = index.DatAt(0).Roms();
    std::vector<DatMatch> matches;
    for (std::size_t i = 0; i < roms.size() && i < kRomsMatched; ++i) {
        const DatRom& rom = roms[i];
        const ImageFacts image{.size = rom.size,
                               .crc32 = rom.crc32,
                               .sha1 = rom.sha1,
                               .md5 = rom.md5,
                               .fileName = rom.romName,
                               .gameCode = rom.serial.substr(0, 4)};
        const DatMatch match = matcher.Match(image);
        if (!rom.crc32) {
            QB_FUZZ_REQUIRE(match.status == DatMatchStatus::Unchecked);
            continue;
        }
        if (rom.status == DumpStatus::NoDump) {
            QB_FUZZ_REQUIRE(match.status != DatMatchStatus::Unchecked);
            continue;
        }
        const bool good = rom.status == DumpStatus::Good || rom.status == DumpStatus::Verified;
        QB_FUZZ_REQUIRE(match.status == DatMatchStatus::Good ||
                        (!good && match.status == DatMatchStatus::BadDump));
        // The ROM chosen is this dump: listed with the same CRC-32, or with
        // none but the same SHA-1 (a bad dump's good twin listing no CRC-32
        // is a better answer than the bad dump itself).
        QB_FUZZ_REQUIRE(match.rom != nullptr && match.rom->size == rom.size);
        QB_FUZZ_REQUIRE(match.rom->crc32 == rom.crc32 ||
                        (!match.rom->crc32 && match.rom->sha1 && match.rom->sha1 == rom.sha1));
        // A good ROM is itself a candidate of the best rank, having the file's
        // name, so the one chosen has that name too.
        QB_FUZZ_REQUIRE(!good || match.nameMatches);
        QB_FUZZ_REQUIRE(match.gamesWithGameCode.empty());
        matches.push_back(match);
    }
    const std::vector<MissingGame> missing = matcher.FindMissing(matches);
    QB_FUZZ_REQUIRE(missing.size() <= index.DatAt(0).GameCount());
    for (const DatMatch& match : matches) {
        // A game whose only ROM was matched is present.
        const std::string& game = match.rom->gameName;
        const auto count = std::count_if(roms.begin(), roms.end(),
                                         [&](const DatRom& rom) { return rom.gameName == game; });
        if (count == 1) {
            QB_FUZZ_REQUIRE(std::none_of(missing.begin(), missing.end(),
                                         [&](const MissingGame& m) { return m.gameName == game; }));
        }
    }
}

} // namespace

void CheckLoadedDat(const DatLoadResult& loaded, const char* sourcePath) {
    if (!loaded.dat) {
        QB_FUZZ_REQUIRE(!loaded.error.reason.empty());
        QB_FUZZ_REQUIRE(loaded.error.file == sourcePath);
        QB_FUZZ_REQUIRE(loaded.warnings.empty());
        return;
    }
    QB_FUZZ_REQUIRE(loaded.error.reason.empty());
    QB_FUZZ_REQUIRE(!loaded.dat->Source().name.empty());
    CheckRoms(*loaded.dat);
    CDatIndex index;
    index.Add(*loaded.dat);
    CheckEveryDumpMatchesItself(index);
}

} // namespace fuzz_checks
