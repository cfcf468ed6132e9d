// Matches images against the DATs of an index, and lists what a collection
// lacks. The rules:
//  - no DAT, or no CRC-32 yet: unchecked;
//  - a ROM matches when its size and CRC-32 equal the image's (or, for a ROM
//    listing no CRC-32, its size and SHA-1 do), and every hash computed for
//    the image equals the ROM's where the ROM lists one: a CRC-32 that
//    agrees while a computed SHA-1 or MD5 does not is no match;
//  - ROMs listed as never dumped (nodump) match nothing;
//  - among several matching ROMs: good or verified before bad dumps, then
//    one whose name equals the file's, then load order.
#pragma once

#include "CDatIndex.h"
#include "DatMatch.h"

#include <span>
#include <vector>

class CDatMatcher {
public:
    // `index` must outlive the matcher and the matches it gives.
    explicit CDatMatcher(const CDatIndex& index) : m_index(index) {}

    DatMatch Match(const ImageFacts& image) const;

    // The games of every DAT in the index, in load and file order, that the
    // matches leave without an image: a game counts as present when each of
    // its ROMs that exists (not nodump) was matched, good or bad dump.
    // Games listing only nodump ROMs are never missing: no image can supply them.
    std::vector<MissingGame> FindMissing(std::span<const DatMatch> matches) const;

private:
    const DatRom* BestMatch(const ImageFacts& image) const;
    std::vector<std::string> GamesWithGameCode(std::string_view gameCode) const;

    const CDatIndex& m_index;
};
