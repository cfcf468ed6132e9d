// Several DATs loaded at once (a user may load one per system, or an older
// and a newer one), with their ROMs indexed for matching images: by size and
// CRC-32, by SHA-1 and by game code. Lookups answer in load order: the DAT
// added first, and within a DAT, file order.
//
// Not thread-safe for Add(); once filled, any number of threads may look up
// at the same time. ROM pointers stay valid for the index's lifetime.
#pragma once

#include "CDatFile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

class CDatIndex {
public:
    CDatIndex() = default;
    CDatIndex(const CDatIndex&) = delete;
    CDatIndex& operator=(const CDatIndex&) = delete;
    CDatIndex(CDatIndex&&) = default;
    CDatIndex& operator=(CDatIndex&&) = default;

    // Takes a loaded DAT in and indexes its ROMs; returns its position.
    std::size_t Add(CDatFile dat);

    bool IsEmpty() const { return m_dats.empty(); }
    std::size_t DatCount() const { return m_dats.size(); }
    const CDatFile& DatAt(std::size_t position) const { return *m_dats.at(position); }
    // True when some ROM's serial names a game code (see SerialGameCodes).
    bool HasSerials() const { return !m_bySerial.empty(); }

    // ROMs listing this size and CRC-32.
    std::vector<const DatRom*> FindBySizeAndCrc(std::uint64_t size, std::uint32_t crc32) const;
    // ROMs listing this SHA-1.
    std::vector<const DatRom*> FindBySha1(const Sha1Digest& sha1) const;
    // ROMs whose serial names this 4-character game code (as the cartridge
    // header holds it at 0xAC, e.g. "BJBJ"); exact, ASCII case included.
    std::vector<const DatRom*> FindByGameCode(std::string_view gameCode) const;

private:
    using GameCode = std::array<char, 4>;
    using SizeAndCrc = std::pair<std::uint64_t, std::uint32_t>;
    // Each table is sorted by key, then by `order`, the ROM's place in m_roms.
    template <typename Key> using Table = std::vector<std::pair<Key, std::uint32_t>>;

    template <typename Key>
    std::vector<const DatRom*> Find(const Table<Key>& table, const Key& key) const;

    std::vector<std::unique_ptr<const CDatFile>> m_dats;
    std::vector<const DatRom*> m_roms; // every DAT's ROMs, in load order
    Table<SizeAndCrc> m_bySizeAndCrc;
    Table<Sha1Digest> m_bySha1;
    Table<GameCode> m_bySerial;
};
