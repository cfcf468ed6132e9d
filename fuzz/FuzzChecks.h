// Invariants the fuzz targets check on every input: what the header decoders,
// the entry record and the details texts must hold for any bytes at all. A
// broken invariant prints which one and traps, so libFuzzer keeps the input.
#pragma once

#include "header/CartridgeHeader.h"

#include <string>

class CGbaHeaderDecoder;
class CRomEntry;

namespace fuzz_checks {

[[noreturn]] void Fail(const char* what, const char* file, int line);

// Runs every decoder on `header` and checks the results against the bytes.
void CheckDecoders(const CGbaHeaderDecoder& decoder, const CartridgeHeader& header);

// Checks the entry's slice round trip and the details panel content and
// text computed from it.
void CheckEntryDetails(const CRomEntry& entry);

// Checks GetExtension on an arbitrary name.
void CheckExtension(const std::string& name);

} // namespace fuzz_checks

#define QB_FUZZ_REQUIRE(condition)                                                                 \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            ::fuzz_checks::Fail(#condition, __FILE__, __LINE__);                                   \
        }                                                                                          \
    } while (false)
