// What `verify` tells a collector: how many games the folder holds as good
// dumps, which images are bad dumps, unknown or could not be checked, and
// which games of the DATs no image supplies.
#pragma once

#include "CReportWriter.h"
#include "dat/CDatIndex.h"
#include "dat/DatMatch.h"

#include <cstddef>
#include <vector>

struct VerifySummary {
    std::size_t goodGames = 0;  // games with at least one good image
    std::size_t goodImages = 0; // two copies of a game are two images
    std::size_t badDumps = 0;
    std::size_t unknownImages = 0;
    std::size_t uncheckedImages = 0; // could not be read
    // The images that are not good dumps, in the report's order.
    std::vector<const ReportedEntry*> notGood;
    // The DATs' games that no image supplies, in load and file order.
    std::vector<MissingGame> missing;
};

// `entries` carry their checks (see CheckEntries).
VerifySummary SummarizeVerify(const CDatIndex& index, const std::vector<ReportedEntry>& entries);
