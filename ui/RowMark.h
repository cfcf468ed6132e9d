// The mark at the left of a ROM list row while a DAT is loaded, and how it
// looks, so that every front end draws the same four marks: a shape and its
// colours in a square of kRowMarkSize pixels. Shapes differ as well as
// colours, so the marks tell apart without colour vision.
#pragma once

#include "dat/DatMatch.h"

#include <array>
#include <cstdint>

enum class RowMark : std::uint8_t {
    None,      // no DAT loaded: no mark at all
    Good,      // a good dump the DAT lists
    Bad,       // a bad dump, or a header the scan found at fault
    Unknown,   // no ROM of the DAT
    Unchecked, // not checked yet (or it could not be read)
};

enum class RowMarkShape : std::uint8_t { Disc, Square, Diamond, Ring };

struct RowMarkLook {
    RowMarkShape shape;
    std::uint32_t rgbFill; // 0xRRGGBB; unused for a ring
    std::uint32_t rgbEdge; // 0xRRGGBB
};

constexpr int kRowMarkSize = 12;

// The marks that are drawn, in the order of a front end's image list.
constexpr std::array<RowMark, 4> kDrawnRowMarks = {RowMark::Good, RowMark::Bad, RowMark::Unknown,
                                                   RowMark::Unchecked};

RowMarkLook LookOf(RowMark mark);
// Position of a drawn mark in kDrawnRowMarks; -1 for None.
int RowMarkImage(RowMark mark);
// The mark of an image with this DAT status; a header fault shows as bad
// whatever the DAT says (its tooltip gives both).
RowMark RowMarkOf(DatMatchStatus status, bool headerFault);
