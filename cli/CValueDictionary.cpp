// The shared values of a report's records.
#include "CValueDictionary.h"

#include <cstring>

namespace {

// Eight bytes a step: the values are short, and every value of every entry
// is hashed on the loading threads.
std::uint64_t HashOf(std::string_view value) {
    std::uint64_t hash = value.size() * 0x9e3779b97f4a7c15ULL;
    const auto mixIn = [&hash](std::uint64_t word) {
        hash = (hash ^ word) * 0xbf58476d1ce4e5b9ULL;
        hash ^= hash >> 31;
    };
    std::size_t at = 0;
    for (; at + 8 <= value.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, value.data() + at, 8);
        mixIn(word);
    }
    if (at < value.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, value.data() + at, value.size() - at);
        mixIn(word);
    }
    // The low bits pick the slots: mix the high ones in.
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdULL;
    hash ^= hash >> 33;
    return hash;
}

} // namespace

CValueDictionary::CValueDictionary()
    : m_table(std::make_unique<std::atomic<std::uint16_t>[]>(kTableSlots)),
      m_seen(std::make_unique<std::atomic<std::uint32_t>[]>(kSeenBuckets * kSeenWays)),
      m_seenTurn(std::make_unique<std::atomic<std::uint8_t>[]>(kSeenBuckets)),
      m_values(std::make_unique<char[]>(kCapacity * kLongestValue)),
      m_lengths(std::make_unique<std::uint8_t[]>(kCapacity)) {}

std::optional<std::uint16_t> CValueDictionary::Find(std::string_view value) {
    if (value.size() < kShortestValue || value.size() > kLongestValue) {
        return std::nullopt;
    }
    const std::uint64_t hash = HashOf(value);
    if (const auto reference = Lookup(value, hash)) {
        return reference;
    }
    if (!SeenBefore(hash)) {
        return std::nullopt;
    }
    return Admit(value, hash);
}

std::string_view CValueDictionary::At(std::uint16_t reference) const {
    return {m_values.get() + reference * kLongestValue, m_lengths[reference]};
}

std::optional<std::uint16_t> CValueDictionary::Lookup(std::string_view value,
                                                      std::uint64_t hash) const {
    for (std::size_t slot = hash % kTableSlots;; slot = (slot + 1) % kTableSlots) {
        const std::uint16_t held = m_table[slot].load(std::memory_order_acquire);
        if (held == 0) {
            return std::nullopt;
        }
        const auto reference = static_cast<std::uint16_t>(held - 1);
        if (At(reference) == value) {
            return reference;
        }
    }
}

bool CValueDictionary::SeenBefore(std::uint64_t hash) {
    const auto tag = static_cast<std::uint32_t>(hash >> 32) | 1U;
    const std::size_t bucket = (hash >> 12) % kSeenBuckets;
    std::atomic<std::uint32_t>* ways = &m_seen[bucket * kSeenWays];
    for (std::size_t way = 0; way < kSeenWays; ++way) {
        if (ways[way].load(std::memory_order_relaxed) == tag) {
            return true;
        }
    }
    const std::size_t turn = m_seenTurn[bucket].fetch_add(1, std::memory_order_relaxed);
    ways[turn % kSeenWays].store(tag, std::memory_order_relaxed);
    return false;
}

std::optional<std::uint16_t> CValueDictionary::Admit(std::string_view value, std::uint64_t hash) {
    const std::lock_guard lock(m_admitMutex);
    if (const auto reference = Lookup(value, hash)) {
        return reference; // another thread took it in meanwhile
    }
    if (m_nCount == kCapacity) {
        return std::nullopt;
    }
    const auto reference = static_cast<std::uint16_t>(m_nCount++);
    std::memcpy(m_values.get() + reference * kLongestValue, value.data(), value.size());
    m_lengths[reference] = static_cast<std::uint8_t>(value.size());
    std::size_t slot = hash % kTableSlots;
    while (m_table[slot].load(std::memory_order_relaxed) != 0) {
        slot = (slot + 1) % kTableSlots;
    }
    m_table[slot].store(static_cast<std::uint16_t>(reference + 1), std::memory_order_release);
    return reference;
}
