// Writes the seed corpora of the fuzz targets: valid and damaged images,
// short images, and each kind of ZIP archive the tests build, for
// fuzz_loader; headers with entry trailers for fuzz_header; DATs in both
// forms for fuzz_dat_xml and fuzz_dat_text.
// Usage: qb_fuzz_seeds OUTPUT_DIR  (writes OUTPUT_DIR/loader, header, dat_xml and dat_text)
#include "FuzzInputLayout.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

Bytes Image(const HeaderFields& fields, std::size_t size) {
    return BuildImage(BuildHeader(fields), size);
}

// The header variants both corpora start from.
std::vector<std::pair<std::string, HeaderFields>> HeaderVariants() {
    return {
        {"valid", {}},
        {"bad-logo", {.logoIntact = false}},
        {"bad-complement", {.complementRight = false}},
        {"both-faults", {.logoIntact = false, .complementRight = false}},
        {"fixed-95", {.fixedValue = 0x95}},
        {"title-8bit", {.title = std::string("A\x1F\x7F\x80\xFF Z  x", 10)}},
        {"title-full", {.title = "TWELVE CHARS"}},
        {"gamecode-zero", {.gameCode = std::string("AB\0E", 4)}},
        {"region-p", {.gameCode = "AXYP", .maker = "08"}},
        {"region-j", {.gameCode = "BPRJ", .maker = "A4"}},
        {"region-x", {.gameCode = "CCCX", .maker = "ZZ"}},
        {"region-lower", {.gameCode = "AQBe", .maker = std::string("\0\0", 2)}},
        {"version-255", {.unitCode = 0xFF, .deviceType = 0x80, .version = 0xFF}},
    };
}

class LoaderSeeds {
public:
    LoaderSeeds(fs::path folder, const TempDir& scratch)
        : m_folder(std::move(folder)), m_scratch(scratch) {}

    void File(const std::string& name, const Bytes& content,
              std::uint8_t control = fuzz_layout::kScanLoad) {
        Bytes seed{control};
        seed.insert(seed.end(), content.begin(), content.end());
        WriteBytes(m_folder / name, seed);
    }

    Bytes Zip(const std::vector<ZipItem>& items) const {
        const std::string path = m_scratch / "seed.zip";
        WriteZip(path, items);
        return ReadWholeFile(path);
    }

    void WriteAll() {
        for (const auto& [name, fields] : HeaderVariants()) {
            File("image-" + name, Image(fields, 1024));
        }
        for (const std::size_t size : {0, 1, 4, 100, 0xB3, 0xBE, 511, 512, 4096}) {
            File("short-" + std::to_string(size), Image({}, size));
        }
        // The other load requests: an offset, a short length, the whole image.
        const Bytes image = Image({}, 1024);
        for (const std::uint8_t control :
             std::initializer_list<std::uint8_t>{0x05, 0x0A, 0x0F, 0x7E, 0xFF}) {
            File("image-request-" + std::to_string(control), image, control);
        }
        WriteZips();
        File("not-a-zip", TextBytes("PK this is not an archive, even though it starts like one"));
    }

private:
    void WriteZips() {
        const Bytes image = Image({.title = "IN ZIP"}, 2048);
        const Bytes deflated = Zip({{"game.gba", image}});
        File("zip-deflated", deflated);
        for (const std::uint8_t control : std::initializer_list<std::uint8_t>{0x05, 0x0A, 0x0F}) {
            File("zip-deflated-request-" + std::to_string(control), deflated, control);
        }
        File("zip-stored", Zip({{.name = "GAME.GBA", .data = image, .deflate = false}}));
        File("zip-zip64", Zip({{.name = "big.agb", .data = image, .zip64 = true}}));
        File("zip-long-name", Zip({{std::string(290, 'n') + "/xxxxx.gba", image}}));
        File("zip-name-cut-at-256", Zip({{std::string(252, 'a') + ".gba.txt", image}}));
        File("zip-wrong-crc", Zip({{.name = "w.gba",
                                    .data = image,
                                    .deflate = false,
                                    .overrideCrc = true,
                                    .crc = 0x1A2B}}));
        File("zip-readme-first", Zip({{"readme.txt", TextBytes("read me")},
                                      {"inner.zip", TextBytes("PK not really")},
                                      {"demo/b.agb", image},
                                      {"c.gba", Image({.title = "SECOND"}, 600)}}));
        const Bytes inner = Zip({{"inner.gba", image}});
        File("zip-nested-only", Zip({{"inner.zip", inner}}));
        File("zip-nested-then-image", Zip({{"inner.zip", inner}, {"outer.bin", image}}));
        File("zip-empty", Zip({}));
        File("zip-no-image", Zip({{"a.txt", TextBytes("a")}, {"b.zip", TextBytes("b")}}));
        File("zip-no-extension", Zip({{"gba", TextBytes("x")}, {"folder.gba/", {}}}));
        File("zip-folder-record", Zip({{"roms.gba/", {}}, {"roms.gba/x.gba", image}}));
        File("zip-short-entry", Zip({{"tiny.bin", TextBytes("tiny")}}));
        File("zip-empty-entry", Zip({{"empty.gba", {}}}));
    }

    fs::path m_folder;
    const TempDir& m_scratch;
};

void AppendLittleEndian(Bytes& bytes, std::uint64_t value, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

Bytes HeaderSeed(const CartridgeHeader& header, std::uint8_t flags, std::uint64_t size,
                 std::uint32_t crc) {
    Bytes seed(header.begin(), header.end());
    seed.push_back(flags);
    AppendLittleEndian(seed, size, 8);
    AppendLittleEndian(seed, crc, 4);
    return seed;
}

void WriteHeaderSeeds(const fs::path& folder) {
    int index = 0;
    for (const auto& [name, fields] : HeaderVariants()) {
        const CartridgeHeader header = BuildHeader(fields);
        const std::uint8_t flags = static_cast<std::uint8_t>((fields.logoIntact ? 0 : 0x10) |
                                                             (fields.complementRight ? 0 : 0x08));
        WriteBytes(folder / ("header-" + name), HeaderSeed(header, flags, 8u << 20, 0));
        // The same header with another size and an archive CRC-32.
        const std::uint64_t size = index % 2 == 0 ? 1572864 : 100;
        WriteBytes(folder / ("header-" + name + "-zipped"),
                   HeaderSeed(header, flags, size, 0x1A2B + static_cast<std::uint32_t>(index)));
        ++index;
    }
    const CartridgeHeader header = BuildHeader();
    WriteBytes(folder / "header-bare", Bytes(header.begin(), header.end()));
    WriteBytes(folder / "header-info-block-only", Bytes(header.begin(), header.begin() + 0xC0));
    WriteBytes(folder / "header-all-flags", HeaderSeed(header, 0xFF, ~0ull, 0xFFFFFFFF));
    WriteBytes(folder / "header-empty", {});
}

const char* const kXmlSeeds[] = {
    R"dat(<?xml version="1.0"?>
<!DOCTYPE datafile PUBLIC "-//Logiqx//DTD ROM Management Datafile//EN" "http://www.logiqx.com/Dats/datafile.dtd">
<datafile>
  <header><name>Nintendo - Game Boy Advance</name><version>20210506-095002</version></header>
  <game name="Some Game (Europe) (En,Fr,De)" cloneof="Some Game (USA)">
    <description>Some Game</description><release name="Some Game" region="EUR"/>
    <rom name="Some Game (Europe) (En,Fr,De).gba" size="8388608" crc="caf2e99f" md5="55354d9e3bc9c1fa682b5110e5ed1544" sha1="6e4e9be9a07580ef267be9c2ea1bd0730b3be44a" status="verified" serial="AGB-BJBJ-EUR"/>
  </game>
  <game name="Some Game (USA)"><rom name="Some Game (USA).gba" size="8388608" crc="caf2e99f" status="baddump" serial="BJBE"/></game>
  <machine name="Tom &amp; Jerry &#x2013; Caf&#233;">
    <rom name="t&amp;j.gba" size="4194304" crc="0000ABCD" sha256="00"/>
    <rom name="missing.gba" size="0" status="nodump"/>
  </machine>
  <game name="Some Game (Europe) (En,Fr,De)"><rom name="x.gba" size="1" crc="00000001"/></game>
</datafile>
)dat",
    R"dat(<!DOCTYPE datafile [<!ENTITY a "b">]><datafile><game name="&a;"/></datafile>)dat",
    R"dat(<datafile><game name="g"><rom name="r" size="-1" crc="123456789"/></game></datafile>)dat",
};

const char* const kTextSeeds[] = {
    R"dat(clrmamepro (
	name "Nintendo - Game Boy Advance"
	version 20210506-095002
)
emulator ( name "skipped" ( nested ) )
game (
	name "Some Game (Europe) (En,Fr,De)"
	rom ( name "Some Game (Europe) (En,Fr,De).gba" size 8388608 crc CAF2E99F md5 55354d9e3bc9c1fa682b5110e5ed1544 sha1 6E4E9BE9A07580EF267BE9C2EA1BD0730B3BE44A serial "AGB-BJBJ-EUR" flags verified )
)
game ( name "Some Game (USA)" rom ( name "Some Game (USA).gba" size 8388608 crc32 caf2e99f flags baddump ) )
machine ( name "Tom & Jerry"
	rom ( name t&j.gba size 4194304 crc32 0000abcd status good serial BJBE )
	rom ( name "missing.gba" size 0 flags nodump ) disk ( name x ) )
game ( name "Tom & Jerry" rom ( name y size 1 ) )
)dat",
    "game ( name \"unterminated\n rom ( name x size 1 ) )",
    "game ( name a rom ( name b size 18446744073709551616 crc 1 ) )",
};

void WriteDatSeeds(const fs::path& folder, std::span<const char* const> seeds) {
    int index = 0;
    for (const char* seed : seeds) {
        WriteBytes(folder / ("dat-" + std::to_string(index++)), TextBytes(seed));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    try {
        const fs::path out = argv[1];
        fs::create_directories(out / "loader");
        fs::create_directories(out / "header");
        fs::create_directories(out / "dat_xml");
        fs::create_directories(out / "dat_text");
        const TempDir scratch;
        LoaderSeeds(out / "loader", scratch).WriteAll();
        WriteHeaderSeeds(out / "header");
        WriteDatSeeds(out / "dat_xml", kXmlSeeds);
        WriteDatSeeds(out / "dat_text", kTextSeeds);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qb_fuzz_seeds: %s\n", error.what());
        return 1;
    }
    return 0;
}
