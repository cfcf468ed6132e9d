// The DAT index: sorted tables of (key, load order), searched by binary search.
#include "CDatIndex.h"

#include "DatFields.h"

#include <algorithm>

namespace {

template <typename Key> void SortTable(std::vector<std::pair<Key, std::uint32_t>>& table) {
    std::sort(table.begin(), table.end());
}

} // namespace

std::size_t CDatIndex::Add(CDatFile dat) {
    m_dats.push_back(std::make_unique<const CDatFile>(std::move(dat)));
    for (const DatRom& rom : m_dats.back()->Roms()) {
        const auto order = static_cast<std::uint32_t>(m_roms.size());
        m_roms.push_back(&rom);
        if (rom.crc32) {
            m_bySizeAndCrc.emplace_back(SizeAndCrc(rom.size, *rom.crc32), order);
        }
        if (rom.sha1) {
            m_bySha1.emplace_back(*rom.sha1, order);
        }
        for (const std::string& code : SerialGameCodes(rom.serial)) {
            GameCode key{};
            std::copy_n(code.begin(), key.size(), key.begin());
            m_bySerial.emplace_back(key, order);
        }
    }
    // Sorting again per DAT is fine: DATs are added a handful of times.
    SortTable(m_bySizeAndCrc);
    SortTable(m_bySha1);
    SortTable(m_bySerial);
    return m_dats.size() - 1;
}

template <typename Key>
std::vector<const DatRom*> CDatIndex::Find(const Table<Key>& table, const Key& key) const {
    const auto first =
        std::lower_bound(table.begin(), table.end(), key,
                         [](const auto& row, const Key& k) { return row.first < k; });
    std::vector<const DatRom*> found;
    for (auto row = first; row != table.end() && row->first == key; ++row) {
        found.push_back(m_roms[row->second]);
    }
    return found;
}

std::vector<const DatRom*> CDatIndex::FindBySizeAndCrc(std::uint64_t size,
                                                       std::uint32_t crc32) const {
    return Find(m_bySizeAndCrc, SizeAndCrc(size, crc32));
}

std::vector<const DatRom*> CDatIndex::FindBySha1(const Sha1Digest& sha1) const {
    return Find(m_bySha1, sha1);
}

std::vector<const DatRom*> CDatIndex::FindByGameCode(std::string_view gameCode) const {
    if (gameCode.size() != 4) {
        return {};
    }
    GameCode key{};
    std::copy_n(gameCode.begin(), key.size(), key.begin());
    return Find(m_bySerial, key);
}
