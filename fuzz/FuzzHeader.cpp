// libFuzzer target for the header decoders: the input is a 512-byte header
// (zero padded or cut) and a short trailer giving the entry's flags, size and
// CRC-32; every decoder runs on the header, and the details panel's content
// and text are computed from an entry holding its information block.
#include "FuzzChecks.h"
#include "FuzzInputLayout.h"
#include "romio/CGbaRomLoader.h"
#include "scan/CReadROMs.h"
#include "scan/CRomEntry.h"

#include <algorithm>
#include <span>

namespace {

constexpr unsigned kSliceLength = 32;

// Little-endian number from `count` trailer bytes at `offset`; missing ones are zero.
std::uint64_t TrailerNumber(std::span<const std::uint8_t> input, std::size_t offset,
                            std::size_t count) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t byte = offset + i < input.size() ? input[offset + i] : 0;
        value |= byte << (8 * i);
    }
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    CartridgeHeader header{};
    std::copy_n(input.begin(), std::min(input.size(), header.size()), header.begin());

    const CGbaRomLoader decoder;
    fuzz_checks::CheckDecoders(decoder, header);

    // An entry with whatever flags, size and CRC-32 the input names, as the
    // details panel may meet it.
    CRomEntry entry(kSliceLength);
    entry.StoreSlice(header);
    entry.m_strFileName = "x.gba";
    entry.m_dwFlags =
        static_cast<std::uint32_t>(TrailerNumber(input, fuzz_layout::kTrailerFlags, 1));
    entry.m_dwSize = TrailerNumber(input, fuzz_layout::kTrailerSize, 8);
    entry.m_dwCrc32 = static_cast<std::uint32_t>(TrailerNumber(input, fuzz_layout::kTrailerCrc, 4));
    fuzz_checks::CheckEntryDetails(entry);

    // And the entry the scan itself would make from this header.
    const auto scanned = CReadROMs::MakeEntry(decoder, header, "/x.gba");
    QB_FUZZ_REQUIRE((scanned->m_dwFlags & ~(ROMF_LOGO_ERROR | ROMF_COMPLEMENT_ERROR)) == 0);
    QB_FUZZ_REQUIRE(((scanned->m_dwFlags & ROMF_LOGO_ERROR) != 0) == !decoder.CheckLogo(header));
    QB_FUZZ_REQUIRE(((scanned->m_dwFlags & ROMF_COMPLEMENT_ERROR) != 0) ==
                    (decoder.CalcComplement(header) != decoder.GetComplement(header)));
    fuzz_checks::CheckEntryDetails(*scanned);
    return 0;
}
