// Invariants the DAT fuzz targets check on whatever a reader made of their
// input: a DAT or an error, never both; names that passed the checks; and
// that every dumped ROM matches itself.
#pragma once

struct DatLoadResult;

namespace fuzz_checks {

// `sourcePath` is the name the input was parsed under.
void CheckLoadedDat(const DatLoadResult& loaded, const char* sourcePath);

} // namespace fuzz_checks
