// The loader for Game Boy Advance images: accepts .BIN, .GBA and .AGB files
// and ZIP archives, and carries the cartridge header decoders.
#pragma once

#include "CRomLoader.h"
#include "header/CGbaHeaderDecoder.h"

class CGbaRomLoader : public CRomLoader, public CGbaHeaderDecoder {
public:
    CGbaRomLoader();
    ~CGbaRomLoader() override = default;
};
