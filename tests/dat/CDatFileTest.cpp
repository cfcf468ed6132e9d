// Loading DATs: both forms, plain and zipped, read the same; every kind of
// broken DAT is refused with the file, the line and the fault named.
#include "dat/CDatFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const char* const kXmlDat = R"dat(<?xml version="1.0"?>
<!DOCTYPE datafile PUBLIC "-//Logiqx//DTD ROM Management Datafile//EN" "http://www.logiqx.com/Dats/datafile.dtd">
<datafile>
  <header><name>Nintendo - Game Boy Advance</name><version>20210506-095002</version></header>
  <game name="Some Game (Europe) (En,Fr,De)" cloneof="Some Game (USA)">
    <description>Some Game</description><release name="Some Game" region="EUR"/>
    <rom name="Some Game (Europe) (En,Fr,De).gba" size="8388608" crc="caf2e99f" md5="55354d9e3bc9c1fa682b5110e5ed1544" sha1="6e4e9be9a07580ef267be9c2ea1bd0730b3be44a" status="verified" serial="BJBJ"/>
  </game>
  <machine name="Tom &amp; Jerry &#x2013; Caf&#233;">
    <rom name="t&amp;j.gba" size="4194304" crc="0000ABCD" status="baddump" serial="AGB-ATJE-USA"/>
    <rom name="missing.gba" size="0" status="nodump"/>
  </machine>
</datafile>
)dat";

// The same DAT in the text form, with the liberties its writers take.
const char* const kTextDat = R"dat(clrmamepro (
	name "Nintendo - Game Boy Advance"
	version 20210506-095002
)
emulator ( name "skipped" ( nested ) )
game (
	name "Some Game (Europe) (En,Fr,De)"
	description "Some Game"
	rom ( name "Some Game (Europe) (En,Fr,De).gba" size 8388608 crc CAF2E99F md5 55354d9e3bc9c1fa682b5110e5ed1544 sha1 6E4E9BE9A07580EF267BE9C2EA1BD0730B3BE44A serial "BJBJ" flags verified )
)
game ( name "Tom & Jerry – Café"
	rom ( name t&j.gba size 4194304 crc32 0000abcd flags baddump serial AGB-ATJE-USA )
	rom ( name "missing.gba" size 0 flags nodump ) )
)dat";

std::string ToHex(std::span<const std::uint8_t> bytes) {
    std::string hex;
    for (const std::uint8_t byte : bytes) {
        hex += "0123456789abcdef"[byte >> 4];
        hex += "0123456789abcdef"[byte & 15];
    }
    return hex;
}

void ExpectTheSampleDat(const DatLoadResult& loaded, const std::string& path) {
    ASSERT_TRUE(loaded.dat) << loaded.error.Text();
    EXPECT_TRUE(loaded.warnings.empty());
    const CDatFile& dat = *loaded.dat;
    EXPECT_EQ(dat.Source().path, path);
    EXPECT_EQ(dat.Source().name, "Nintendo - Game Boy Advance");
    EXPECT_EQ(dat.Source().version, "20210506-095002");
    EXPECT_EQ(dat.GameCount(), 2u);
    ASSERT_EQ(dat.Roms().size(), 3u);
    const DatRom& first = dat.Roms()[0];
    EXPECT_EQ(first.gameName, "Some Game (Europe) (En,Fr,De)");
    EXPECT_EQ(first.romName, "Some Game (Europe) (En,Fr,De).gba");
    EXPECT_EQ(first.size, 8388608u);
    EXPECT_EQ(first.crc32, 0xCAF2E99Fu);
    EXPECT_EQ(ToHex(*first.md5), "55354d9e3bc9c1fa682b5110e5ed1544");
    EXPECT_EQ(ToHex(*first.sha1), "6e4e9be9a07580ef267be9c2ea1bd0730b3be44a");
    EXPECT_EQ(first.serial, "BJBJ");
    EXPECT_EQ(first.status, DumpStatus::Verified);
    EXPECT_EQ(first.source.get(), &dat.Source());
    const DatRom& second = dat.Roms()[1];
    EXPECT_EQ(second.gameName, "Tom & Jerry \u2013 Caf\u00e9");
    EXPECT_EQ(second.romName, "t&j.gba");
    EXPECT_EQ(second.crc32, 0xABCDu);
    EXPECT_FALSE(second.md5 || second.sha1);
    EXPECT_EQ(second.serial, "AGB-ATJE-USA");
    EXPECT_EQ(second.status, DumpStatus::BadDump);
    EXPECT_EQ(dat.Roms()[2].status, DumpStatus::NoDump);
    EXPECT_FALSE(dat.Roms()[2].crc32);
}

} // namespace

TEST(DatLoad, BothFormsReadTheSamePlainOrZipped) {
    TempDir dir;
    for (const auto& [name, text] :
         {std::pair{"nointro.xml", kXmlDat}, {"nointro.dat", kTextDat}}) {
        const std::string plain = dir.WriteText(name, text);
        ExpectTheSampleDat(CDatFile::Load(plain), plain);
        // The form comes from the content: the same text under the other name.
        const std::string renamed = dir.WriteText(std::string(name) + ".txt", text);
        ExpectTheSampleDat(CDatFile::Load(renamed), renamed);
        const std::string zipped = dir / (std::string(name) + ".zip");
        WriteZip(zipped, {{"readme.txt", TextBytes("not this")}, {name, TextBytes(text)}});
        ExpectTheSampleDat(CDatFile::Load(zipped), zipped);
    }
}

TEST(DatLoad, DuplicateEntriesAreSkippedAndCountedOnce) {
    const char* const text = "game ( name a rom ( name a.gba size 1 ) rom ( name a.gba size 2 ) )\n"
                             "game ( name b rom ( name b.gba size 3 ) )\n"
                             "game ( name a rom ( name other.gba size 4 ) )\n";
    const auto loaded = CDatFile::Parse(text, "dups.dat");
    ASSERT_TRUE(loaded.dat) << loaded.error.Text();
    ASSERT_EQ(loaded.dat->Roms().size(), 2u);
    EXPECT_EQ(loaded.dat->Roms()[0].size, 1u);
    EXPECT_EQ(loaded.dat->GameCount(), 2u);
    ASSERT_EQ(loaded.warnings.size(), 1u);
    EXPECT_EQ(loaded.warnings[0], "dups.dat: 2 duplicate entries skipped, the first of each kept "
                                  "(line 1: rom \"a.gba\" of game \"a\").");
    // A DAT without a header is named after its file.
    EXPECT_EQ(loaded.dat->Source().name, "dups.dat");
}

TEST(DatLoad, RefusesBrokenDatsNamingTheLine) {
    const std::string xmlStart = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<datafile>\r\n";
    // Lines 1 and 2 hold the declaration and the root; the fault is on line 3 or later.
    const auto xml = [&](const std::string& body) { return xmlStart + body + "</datafile>"; };
    const auto inGame = [&](const std::string& rom) {
        return xml("<game name=\"G\">" + rom + "</game>");
    };
    const struct {
        std::string text;
        std::string error; // the whole Text() from the line on
    } cases[] = {
        {"", "empty file"},
        {" \r\n\t", "empty file"},
        {std::string("\xFF\xFE<\0d\0", 6), "UTF-16 text; a DAT is read as UTF-8"},
        {"hello world", "line 1: not a DAT: neither Logiqx XML nor clrmamepro text"},
        {"PK\x03\x04 this is no archive",
         "line 1: not a DAT: neither Logiqx XML nor clrmamepro text"},
        {inGame("<rom name=\"a\" size=\"1\">\r\n"),
         "line 4: not well-formed XML: Start-end tags mismatch"},
        {"<?xml version=\"1.0\"?>\n\n<html/>",
         "line 3: not a Logiqx DAT: the root element is \"html\", not \"datafile\""},
        {"<!DOCTYPE datafile [\n<!ENTITY lol \"lol\">\n<!ENTITY lol2 \"&lol;&lol;&lol;\">\n]>\n"
         "<datafile><game name=\"&lol2;\"/></datafile>",
         "line 1: not a DAT: its document type declares an internal subset (entity declarations "
         "are never read)"},
        {inGame("\r\n<rom name=\"a\" size=\"-1\"/>"),
         "line 4: game \"G\": rom \"a\": size \"-1\" is not a number of bytes"},
        {inGame("<rom name=\"a\" size=\"18446744073709551616\"/>"),
         "line 3: game \"G\": rom \"a\": size \"18446744073709551616\" is not a number of bytes"},
        {inGame("<rom name=\"a\"/>"), "line 3: game \"G\": rom \"a\": no size"},
        {inGame("<rom name=\"a\" size=\"1\" crc=\"123456789\"/>"),
         "line 3: game \"G\": rom \"a\": crc \"123456789\" is not 8 hexadecimal digits"},
        {inGame("<rom name=\"a\" size=\"1\" md5=\"55354d9e3bc9c1fa682b5110e5ed154g\"/>"),
         "line 3: game \"G\": rom \"a\": md5 \"55354d9e3bc9c1fa682b5110e5ed154g\" is not 32 "
         "hexadecimal digits"},
        {inGame("<rom name=\"a\" size=\"1\" sha1=\"6e4e\"/>"),
         "line 3: game \"G\": rom \"a\": sha1 \"6e4e\" is not 40 hexadecimal digits"},
        {inGame("<rom name=\"a\" size=\"1\" status=\"Good\"/>"),
         "line 3: game \"G\": rom \"a\": status \"Good\" is none of good, verified, baddump and "
         "nodump"},
        {inGame("<rom size=\"1\"/>"), "line 3: game \"G\": rom without a name"},
        {xml("\r\n<game><rom name=\"a\" size=\"1\"/></game>"), "line 4: game without a name"},
        {xml("<game name=\"\xC3\x28\"/>"), "line 3: game name \"\\xC3(\" is not valid UTF-8"},
        {xml("<game name=\"a&#9;b\"/>"), "line 3: game name \"a\\x09b\" holds a control "
                                         "character"},
        {xml("<header><name>\xED\xA0\x80</name></header>"),
         "line 3: header name is not valid UTF-8"},
        {"game ( name \"a\n\" )", "line 1: string not closed on its line"},
        {"game ( name a\nrom ( name b size 1 )",
         "line 1: \"(\" not closed before the end of the file"},
        {"clrmamepro ( name x )\ngame ( name a rom ( name b size ) )",
         "line 2: expected a value for \"size\", found \")\""},
        {"game ( name a )\n\"stray\"", "line 2: expected a block name, found the string \"stray\""},
        {"game ( name a rom ( name b size 1 flags optional ) )",
         "line 1: game \"a\": rom \"b\": status \"optional\" is none of good, verified, baddump "
         "and "
         "nodump"},
    };
    for (const auto& c : cases) {
        const auto loaded = CDatFile::Parse(c.text, "x.dat");
        EXPECT_FALSE(loaded.dat) << c.error;
        EXPECT_EQ(loaded.error.Text(), "x.dat: " + c.error);
    }
}

TEST(DatLoad, RefusesFilesItCannotOrNeedNotRead) {
    TempDir dir;
    constexpr std::size_t kLimit = std::size_t{1} << 20;
    const std::string big(kLimit + 1, ' ');
    WriteZip(dir / "big.zip", {{"big.dat", TextBytes(big)}});
    WriteZip(dir / "none.zip", {{"a.gba", TextBytes("x")}});
    WriteZip(dir / "empty.zip", {});
    WriteZip(dir / "broken.zip", {{"b.dat", TextBytes("game ( name a rom ( name b size x ) )")}});
    const struct {
        std::string path;
        std::string error;
    } cases[] = {
        {dir.WriteText("big.dat", big),
         dir / "big.dat: larger than 1 MiB, more than a DAT ever needs"},
        {dir / "big.zip", dir / "big.zip (big.dat): larger than 1 MiB, more than a DAT ever needs"},
        {dir / "none.zip", dir / "none.zip: a ZIP archive without a .dat or .xml entry"},
        {dir / "empty.zip", dir / "empty.zip: an empty ZIP archive"},
        {dir.MakeSubdir("folder.dat"), dir / "folder.dat: is a folder"},
        {dir / "broken.zip", dir / "broken.zip (b.dat): line 1: game \"a\": rom \"b\": size \"x\" "
                                   "is not a number of bytes"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CDatFile::Load(c.path, kLimit).error.Text(), c.error);
    }
    // Within the limit, whatever the name: a DAT of spaces is empty.
    EXPECT_EQ(CDatFile::Load(dir.WriteText("spaces.dat", big.substr(1)), kLimit).error.reason,
              "empty file");
    EXPECT_NE(CDatFile::Load(dir / "gone.dat").error.reason, "");
}
