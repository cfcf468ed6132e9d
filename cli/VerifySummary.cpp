// Counting a checked folder's images for `verify`.
#include "VerifySummary.h"

#include "dat/CDatMatcher.h"
#include "ui/CEntryChecker.h"

#include <set>
#include <string>
#include <utility>

VerifySummary SummarizeVerify(const CDatIndex& index, const std::vector<ReportedEntry>& entries) {
    VerifySummary summary;
    std::vector<DatMatch> matches;
    matches.reserve(entries.size());
    std::set<std::pair<const DatSource*, std::string>> goodGames;
    for (const ReportedEntry& reported : entries) {
        const DatMatch& match = reported.check->match;
        matches.push_back(match);
        switch (match.status) {
        case DatMatchStatus::Good:
            ++summary.goodImages;
            goodGames.emplace(match.rom->source.get(), match.rom->gameName);
            continue;
        case DatMatchStatus::BadDump:
            ++summary.badDumps;
            break;
        case DatMatchStatus::Unknown:
            ++summary.unknownImages;
            break;
        case DatMatchStatus::Unchecked:
            ++summary.uncheckedImages;
            break;
        }
        summary.notGood.push_back(&reported);
    }
    summary.goodGames = goodGames.size();
    summary.missing = CDatMatcher(index).FindMissing(matches);
    return summary;
}
