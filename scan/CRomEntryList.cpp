// The entry list and its single process-wide instance.
#include "CRomEntryList.h"

#include <algorithm>

CRomEntryList g_romEntries;

std::size_t CRomEntryList::Append(std::unique_ptr<CRomEntry> entry) {
    m_entries.push_back(std::move(entry));
    return m_entries.size() - 1;
}

void CRomEntryList::ReserveMore(std::size_t count) {
    const std::size_t needed = m_entries.size() + count;
    if (needed > m_entries.capacity()) {
        // Exactly what one folder needs; room to grow when many follow.
        m_entries.reserve(m_entries.empty() ? needed
                                            : std::max(needed, m_entries.capacity() * 3 / 2));
    }
}

void CRomEntryList::RemoveAll() {
    m_entries.clear();
    m_entries.shrink_to_fit(); // a new folder may be far smaller; give the memory back
}
