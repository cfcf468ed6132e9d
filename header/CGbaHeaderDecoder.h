// Decoders for the Game Boy Advance cartridge header. They read only the
// header handed to them; CGbaRomLoader inherits them so that a loader object
// decodes what it loads.
#pragma once

#include "CartridgeHeader.h"

#include <cstdint>
#include <string>

class CGbaHeaderDecoder {
public:
    // True when byte 0xB2 holds 0x96.
    bool CheckFixedValue(const CartridgeHeader& header) const;
    // True when 0x04-0x9F hold the boot logo exactly.
    bool CheckLogo(const CartridgeHeader& header) const;
    // The 12-character name at 0xA0; control and 8-bit bytes read as spaces.
    std::string GetInternalName(const CartridgeHeader& header, bool trim) const;
    // "AGB-" + game code + "-" + region suffix.
    std::string GetSerial(const CartridgeHeader& header) const;
    std::uint8_t GetVersion(const CartridgeHeader& header) const;
    // Byte 0xB0 * 256 + byte 0xB1.
    std::uint32_t GetMakerCode(const CartridgeHeader& header) const;
    // The company's name, or "Unknown Company".
    std::string GetMakerName(const CartridgeHeader& header) const;
    std::uint8_t GetMainUnitCode(const CartridgeHeader& header) const;
    std::uint8_t GetDeviceType(const CartridgeHeader& header) const;
    // The complement as stored at 0xBD.
    std::uint8_t GetComplement(const CartridgeHeader& header) const;
    // The complement that bytes 0xA0-0xBC call for.
    std::uint8_t CalcComplement(const CartridgeHeader& header) const;

    static const char* RegionSuffix(std::uint8_t regionChar);
};
