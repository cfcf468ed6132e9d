// A small collection and the DAT that lists it, built in a fresh folder for
// the command line's DAT tests; the program is run in that folder, so that
// every path it prints is the same on each run:
//   roms/zipped.zip  "Zipped Game (Europe).gba" inside: good, its name the DAT's
//   roms/plain.gba   good, named otherwise than the DAT's "Plain Game (USA).gba";
//                    its game saves to SRAM
//   roms/bad.gba     a known bad dump of "Bad Game (Europe)", serial ABDP
//   roms/odd.gba     unknown, its header's game code ABDP
//   games.dat        also lists "Missing Game (Japan)", which no image supplies
#pragma once

#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"
#include "ui/DatResultText.h"

#include <cstring>
#include <string>
#include <vector>

namespace testing_support {

class DatCollection {
public:
    DatCollection() {
        m_dir.MakeSubdir("roms");
        const auto zipped = Image("ZIPPED", "AZGP");
        WriteZip(m_dir / "roms/zipped.zip", {{"Zipped Game (Europe).gba", zipped}});
        auto plain = Image("PLAIN", "APGE");
        const char sram[] = "SRAM_V113";
        std::memcpy(plain.data() + 0x400, sram, sizeof sram - 1);
        m_dir.WriteFile("roms/plain.gba", plain);
        const auto bad = Image("BAD GAME", "ABDP");
        m_dir.WriteFile("roms/bad.gba", bad);
        m_dir.WriteFile("roms/odd.gba", Image("BAD GAME", "ABDP", 1));
        m_dir.WriteText(
            "games.dat",
            "<?xml version=\"1.0\"?>\n<datafile>\n"
            "<header><name>Test Collection</name><version>1.0</version></header>\n" +
                Game("Zipped Game (Europe)", "Zipped Game (Europe).gba", zipped) +
                Game("Plain Game (USA)", "Plain Game (USA).gba", plain) +
                Game("Bad Game (Europe)", "Bad Game (Europe).gba", bad,
                     " serial=\"ABDP\" status=\"baddump\"") +
                Game("Missing Game (Japan)", "Missing Game (Japan).gba", Image("MISSING", "AMGJ")) +
                "</datafile>\n");
    }

    const TempDir& Dir() const { return m_dir; }

private:
    static std::vector<std::uint8_t> Image(const std::string& title, const std::string& code,
                                           std::uint8_t version = 0) {
        HeaderFields fields;
        fields.title = title;
        fields.gameCode = code;
        fields.version = version;
        return BuildImage(BuildHeader(fields), 2048);
    }
    static std::string Game(const std::string& game, const std::string& rom,
                            const std::vector<std::uint8_t>& image, const std::string& more = "") {
        return "<game name=\"" + game + "\"><rom name=\"" + rom + "\" size=\"" +
               std::to_string(image.size()) + "\" crc=\"" + HexCrc32(Crc32Of(image)) + "\"" + more +
               "/></game>\n";
    }

    TempDir m_dir;
};

} // namespace testing_support
