// libFuzzer target for the Logiqx XML DAT reader: the input is the DAT's
// text, read as XML whatever it starts with.
#include "DatFuzzChecks.h"
#include "dat/CDatFile.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    fuzz_checks::CheckLoadedDat(CDatFile::Parse(text, "fuzz.xml", DatForm::Xml), "fuzz.xml");
    return 0;
}
