// Entry record: storing and restoring the header's information block.
#include "CRomEntry.h"

#include <algorithm>

CRomEntry::CRomEntry(unsigned sliceLength)
    : m_nSliceLen(static_cast<std::uint8_t>(sliceLength & 0xFF)) {
    if (m_nSliceLen > kInlineSliceLength) {
        m_pSlice = std::make_unique<std::uint8_t[]>(m_nSliceLen);
    }
}

std::string CRomEntry::GetPath() const {
    return m_pFolderPrefix ? *m_pFolderPrefix + m_strFileName : m_strFileName;
}

void CRomEntry::SetFolder(std::shared_ptr<const std::string> folderPrefix) {
    m_pFolderPrefix = std::move(folderPrefix);
}

void CRomEntry::StoreSlice(const CartridgeHeader& header) {
    // 0xA0 + 255 still lies inside the 512-byte header.
    const auto first = header.begin() + HeaderOffset::NameFirst;
    std::copy(first, first + m_nSliceLen, SliceData());
}

CartridgeHeader& CRomEntry::RestoreSlice(CartridgeHeader& header) const {
    std::copy(SliceData(), SliceData() + m_nSliceLen, header.begin() + HeaderOffset::NameFirst);
    return header;
}
