// Values many entries of a report share (a maker, a ROM size's text, a
// version, a file size), kept once: an entry's record then holds a two-byte
// reference in place of the text. A value is taken in on its second sighting,
// so that titles and serials, which mostly come once, do not fill the places.
// The scan's threads look values up without a lock; taking one in locks.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

class CValueDictionary {
public:
    static constexpr std::size_t kCapacity = 2048;   // references fit in 11 bits
    static constexpr std::size_t kShortestValue = 2; // a reference must be shorter
    static constexpr std::size_t kLongestValue = 32;

    CValueDictionary();
    CValueDictionary(const CValueDictionary&) = delete;
    CValueDictionary& operator=(const CValueDictionary&) = delete;

    // The reference of `value`, taking it in when it was seen before and
    // there is room; nullopt: the value is to be kept as it is.
    std::optional<std::uint16_t> Find(std::string_view value);
    // The value of a reference Find() gave.
    std::string_view At(std::uint16_t reference) const;

private:
    static constexpr std::size_t kTableSlots = 2 * kCapacity; // at most half full
    // Four ways a bucket, replaced in turn: values that keep coming between
    // each other's sightings (a maker and a version) cannot push each other
    // out, nor can the titles that come once in between.
    static constexpr std::size_t kSeenWays = 4;
    static constexpr std::size_t kSeenBuckets = 2048;

    std::optional<std::uint16_t> Lookup(std::string_view value, std::uint64_t hash) const;
    bool SeenBefore(std::uint64_t hash);
    std::optional<std::uint16_t> Admit(std::string_view value, std::uint64_t hash);

    // Open addressing by hash: a value's reference plus one, 0 for a free
    // slot. Written only under m_admitMutex, after the value itself.
    std::unique_ptr<std::atomic<std::uint16_t>[]> m_table;
    // Hash tags of values seen once; a tag lost to another value only
    // delays taking a value in.
    std::unique_ptr<std::atomic<std::uint32_t>[]> m_seen;    // kSeenWays a bucket
    std::unique_ptr<std::atomic<std::uint8_t>[]> m_seenTurn; // the way to replace next
    std::unique_ptr<char[]> m_values;                        // kLongestValue bytes a reference
    std::unique_ptr<std::uint8_t[]> m_lengths;
    std::size_t m_nCount = 0; // guarded by m_admitMutex
    std::mutex m_admitMutex;
};
