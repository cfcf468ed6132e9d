// The entry list and its single process-wide instance.
#include "CRomEntryList.h"

CRomEntryList g_romEntries;

std::size_t CRomEntryList::Append(std::unique_ptr<CRomEntry> entry) {
    m_entries.push_back(std::move(entry));
    return m_entries.size() - 1;
}

void CRomEntryList::RemoveAll() {
    m_entries.clear();
    m_entries.shrink_to_fit(); // a new folder may be far smaller; give the memory back
}
