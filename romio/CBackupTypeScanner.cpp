// The id search. It looks at one 32-bit word in four-byte steps: every id
// starts with "EEPR", "SRAM" or "FLAS", so a block of words is first tested
// for those three alone, several words at once and without a branch per
// word, and only a block that holds one is looked at closely. That keeps
// the search well ahead of the CRC-32 computed over the same bytes.
#include "CBackupTypeScanner.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace {

constexpr std::string_view kMarkers[] = {"EEPROM_V", "SRAM_V",     "SRAM_F_V",
                                         "FLASH_V",  "FLASH512_V", "FLASH1M_V"};
constexpr std::size_t kVersionDigits = 3;
constexpr std::size_t kWord = 4;
// Words tested together before any is looked at closely.
constexpr std::size_t kBlockWords = 32;

constexpr std::uint32_t WordOf(std::string_view text) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[0])) |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[1])) << 8 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[2])) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[3])) << 24;
}
constexpr std::uint32_t kEepr = WordOf("EEPR");
constexpr std::uint32_t kSram = WordOf("SRAM");
constexpr std::uint32_t kFlas = WordOf("FLAS");

std::uint32_t LittleEndianWord(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

bool CouldStartAnId(std::uint32_t word) {
    return word == kEepr || word == kSram || word == kFlas;
}

#if defined(__SSE2__) || defined(_M_X64)
// True when one of the words at `at`, `at + 4`... (kBlockWords of them) could
// start an id: four words compared with each marker at once. x86 stores
// words little-endian, as the markers' words are written above.
bool BlockMayHoldAnId(const std::uint8_t* at) {
    const __m128i eepr = _mm_set1_epi32(static_cast<int>(kEepr));
    const __m128i sram = _mm_set1_epi32(static_cast<int>(kSram));
    const __m128i flas = _mm_set1_epi32(static_cast<int>(kFlas));
    __m128i hits = _mm_setzero_si128();
    for (std::size_t word = 0; word < kBlockWords; word += 4) {
        const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + word * kWord));
        hits = _mm_or_si128(hits, _mm_or_si128(_mm_cmpeq_epi32(words, eepr),
                                               _mm_or_si128(_mm_cmpeq_epi32(words, sram),
                                                            _mm_cmpeq_epi32(words, flas))));
    }
    return _mm_movemask_epi8(hits) != 0;
}
#else
std::uint32_t LoadWord(const std::uint8_t* at) {
    std::uint32_t word = 0;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// The same, a word at a time, in the byte order of this machine.
bool BlockMayHoldAnId(const std::uint8_t* at) {
    const std::uint32_t eepr = LoadWord(reinterpret_cast<const std::uint8_t*>("EEPR"));
    const std::uint32_t sram = LoadWord(reinterpret_cast<const std::uint8_t*>("SRAM"));
    const std::uint32_t flas = LoadWord(reinterpret_cast<const std::uint8_t*>("FLAS"));
    unsigned hits = 0;
    for (std::size_t word = 0; word < kBlockWords; ++word) {
        const std::uint32_t value = LoadWord(at + word * kWord);
        hits |= static_cast<unsigned>(value == eepr) | static_cast<unsigned>(value == sram) |
                static_cast<unsigned>(value == flas);
    }
    return hits != 0;
}
#endif

bool IsDigit(std::uint8_t byte) {
    return byte >= '0' && byte <= '9';
}

} // namespace

void CBackupTypeScanner::Reset() {
    m_offset = 0;
    m_nTail = 0;
    m_strFound.clear();
}

bool CBackupTypeScanner::MatchAt(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kWord || !CouldStartAnId(LittleEndianWord(bytes.data()))) {
        return false;
    }
    for (const std::string_view marker : kMarkers) {
        if (bytes.size() < marker.size() ||
            !std::equal(marker.begin(), marker.end(), bytes.begin(),
                        [](char expected, std::uint8_t got) {
                            return static_cast<std::uint8_t>(expected) == got;
                        })) {
            continue;
        }
        // Test ROMs that only want an emulator to give them a save memory
        // carry the marker alone; the libraries add their version.
        std::size_t length = marker.size();
        while (length < bytes.size() && length < marker.size() + kVersionDigits &&
               IsDigit(bytes[length])) {
            ++length;
        }
        m_strFound.assign(reinterpret_cast<const char*>(bytes.data()), length);
        return true;
    }
    return false;
}

std::size_t CBackupTypeScanner::Judge(std::span<const std::uint8_t> bytes, std::size_t first,
                                      bool toTheEnd) {
    const std::size_t size = bytes.size();
    // Positions whose longest id lies wholly inside `bytes`.
    const std::size_t end = toTheEnd ? size : (size >= kLongestId ? size - kLongestId + 1 : 0);
    std::size_t at = first;
    constexpr std::size_t kBlockBytes = kBlockWords * kWord;
    while (at < end) {
        if (end - at >= kBlockBytes && !BlockMayHoldAnId(bytes.data() + at)) {
            at += kBlockBytes;
            continue;
        }
        const std::size_t stop = std::min(end, at + kBlockBytes);
        for (; at < stop; at += kWord) {
            if (MatchAt(bytes.subspan(at))) {
                return size;
            }
        }
    }
    return at;
}

void CBackupTypeScanner::Keep(std::span<const std::uint8_t> bytes, std::size_t from) {
    m_nTail = from < bytes.size() ? bytes.size() - from : 0;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(from, bytes.size())), m_nTail,
                m_tail.begin());
}

void CBackupTypeScanner::Feed(std::span<const std::uint8_t> bytes) {
    if (HasFound() || bytes.empty()) {
        m_offset += bytes.size();
        return;
    }
    std::size_t first = static_cast<std::size_t>((kWord - m_offset % kWord) % kWord);
    if (m_nTail > 0) {
        // The kept bytes and the start of this piece, side by side: enough
        // for every id that starts in the kept bytes when the piece is long.
        const std::size_t taken = std::min(bytes.size(), kLongestId - 1);
        std::array<std::uint8_t, 2 * kLongestId> joined{};
        std::copy_n(m_tail.begin(), m_nTail, joined.begin());
        std::copy_n(bytes.begin(), taken, joined.begin() + static_cast<std::ptrdiff_t>(m_nTail));
        const auto both = std::span(joined).first(m_nTail + taken);
        const std::size_t unjudged = Judge(both, 0, false);
        if (HasFound()) {
            m_offset += bytes.size();
            return;
        }
        if (taken == bytes.size()) {
            // A short piece: everything is still in the joined bytes.
            Keep(both, unjudged);
            m_offset += bytes.size();
            return;
        }
        // Every position in the kept bytes is judged; the piece's own start
        // too where the joined bytes reached past it.
        first = std::max(first, unjudged > m_nTail ? unjudged - m_nTail : first);
        m_nTail = 0;
    }
    const std::size_t unjudged = Judge(bytes, first, false);
    if (!HasFound()) {
        Keep(bytes, unjudged);
    }
    m_offset += bytes.size();
}

void CBackupTypeScanner::Finish() {
    if (!HasFound() && m_nTail > 0) {
        Judge(std::span(m_tail).first(m_nTail), 0, true);
    }
    m_nTail = 0;
}
