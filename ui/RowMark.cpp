// Which mark a row shows, and how each looks.
#include "RowMark.h"

RowMarkLook LookOf(RowMark mark) {
    switch (mark) {
    case RowMark::Good:
        return {RowMarkShape::Disc, 0x2E9E3A, 0x1B6B24};
    case RowMark::Bad:
        return {RowMarkShape::Square, 0xD62828, 0x8E1A1A};
    case RowMark::Unknown:
        return {RowMarkShape::Diamond, 0xF0B020, 0x9A6A00};
    case RowMark::None:
    case RowMark::Unchecked:
        break;
    }
    return {RowMarkShape::Ring, 0xFFFFFF, 0x909090};
}

int RowMarkImage(RowMark mark) {
    for (std::size_t i = 0; i < kDrawnRowMarks.size(); ++i) {
        if (kDrawnRowMarks[i] == mark) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

RowMark RowMarkOf(DatMatchStatus status, bool headerFault) {
    if (headerFault || status == DatMatchStatus::BadDump) {
        return RowMark::Bad;
    }
    switch (status) {
    case DatMatchStatus::Good:
        return RowMark::Good;
    case DatMatchStatus::Unknown:
        return RowMark::Unknown;
    default:
        return RowMark::Unchecked;
    }
}
