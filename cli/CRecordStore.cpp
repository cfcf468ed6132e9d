// Records kept in blocks.
#include "CRecordStore.h"

#include <algorithm>
#include <cstring>

const char* CRecordStore::Keep(std::string_view record) {
    if (m_blocks.empty() || record.size() > kBlockSize - m_nUsed) {
        // A record larger than a block gets one of its own, placed before the
        // last so that the last one's free room is not lost.
        const std::size_t size = std::max(kBlockSize, record.size());
        auto block = std::make_unique<char[]>(size);
        if (size > kBlockSize) {
            char* own = block.get();
            m_blocks.insert(m_blocks.empty() ? m_blocks.end() : m_blocks.end() - 1,
                            std::move(block));
            std::memcpy(own, record.data(), record.size());
            return own;
        }
        m_blocks.push_back(std::move(block));
        m_nUsed = 0;
    }
    char* at = m_blocks.back().get() + m_nUsed;
    std::memcpy(at, record.data(), record.size());
    m_nUsed += record.size();
    return at;
}
