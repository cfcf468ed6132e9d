// The sort comparison of the ROM list.
#include "RomSort.h"

#include "scan/CRomEntry.h"
#include "scan/NameOrder.h"

int CompareRomNames(const CRomEntry& a, const CRomEntry& b) {
    const int order = CompareUpperCased(a.GetDisplayName(), b.GetDisplayName());
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int CompareRomRows(std::int32_t itemData1, std::int32_t itemData2, const CRomEntryList& entries) {
    const CRomEntry* a =
        itemData1 >= 0 ? entries.GetAt(static_cast<std::size_t>(itemData1)) : nullptr;
    const CRomEntry* b =
        itemData2 >= 0 ? entries.GetAt(static_cast<std::size_t>(itemData2)) : nullptr;
    if (a == nullptr || b == nullptr) {
        return (a == nullptr) - (b == nullptr);
    }
    return CompareRomNames(*a, *b);
}
