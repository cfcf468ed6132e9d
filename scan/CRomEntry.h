// One ROM image found by a folder scan: where it is, the names to show for it,
// its size and CRC-32, the scan's findings as flags, and a copy of the
// header's information block (0xA0-0xBF) from which the details are decoded.
#pragma once

#include "header/CartridgeHeader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

inline constexpr std::uint32_t ROMF_COMPLEMENT_ERROR = 0x08; // stored complement is wrong
inline constexpr std::uint32_t ROMF_LOGO_ERROR = 0x10;       // boot logo is damaged

class CRomEntry {
public:
    // Only the low 8 bits of `sliceLength` count; the scan always uses 32.
    explicit CRomEntry(unsigned sliceLength);
    virtual ~CRomEntry() = default;

    CRomEntry(const CRomEntry&) = delete;
    CRomEntry& operator=(const CRomEntry&) = delete;

    // Copies the slice from the header's offset 0xA0 on.
    void StoreSlice(const CartridgeHeader& header);
    // Copies the slice back to 0xA0 onwards; no other byte of `header` changes.
    CartridgeHeader& RestoreSlice(CartridgeHeader& header) const;

    // The full path: the folder, a separator and the file name, as the folder
    // search reported them. Made on demand from the folder, which all the
    // entries of a scan share: a folder of 100,000 images would otherwise
    // keep 100,000 copies of it.
    std::string GetPath() const;
    // The folder with its trailing separator: GetPath() without the name.
    std::string_view GetFolderPrefix() const {
        return m_pFolderPrefix ? std::string_view(*m_pFolderPrefix) : std::string_view();
    }
    // `folderPrefix`: the folder with its trailing separator ("" for a file
    // named without one).
    void SetFolder(std::shared_ptr<const std::string> folderPrefix);

    // The inner name when there is one, else the file name.
    const std::string& GetDisplayName() const {
        return m_strInnerName.empty() ? m_strFileName : m_strInnerName;
    }
    std::uint8_t GetSliceLength() const { return m_nSliceLen; }

    std::string m_strFileName;   // the file's name; for an archive the archive's
    std::string m_strInnerName;  // the archive entry read, as stored; "" for a plain file
    std::uint64_t m_dwSize = 0;  // image size in bytes (not wrapped at 4 GiB)
    std::uint32_t m_dwCrc32 = 0; // the archive's CRC-32 of the entry; 0 for a plain file
    std::uint32_t m_dwFlags = 0; // ROMF_* bits

private:
    // The slice's bytes: inside the entry when they fit (the scan's 32 always
    // do), which spares every entry a second allocation.
    std::uint8_t* SliceData() { return m_pSlice ? m_pSlice.get() : m_inlineSlice.data(); }
    const std::uint8_t* SliceData() const {
        return m_pSlice ? m_pSlice.get() : m_inlineSlice.data();
    }

    static constexpr std::size_t kInlineSliceLength = HeaderOffset::InfoBlockLength;

    std::shared_ptr<const std::string> m_pFolderPrefix; // see GetPath()
    std::uint8_t m_nSliceLen;
    std::array<std::uint8_t, kInlineSliceLength> m_inlineSlice{};
    std::unique_ptr<std::uint8_t[]> m_pSlice; // only for a slice longer than that
};
