// Matching images against loaded DATs, and the games a collection lacks.
#include "dat/CDatMatcher.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kSha1A = "1111111111111111111111111111111111111111";
constexpr const char* kSha1F = "6666666666666666666666666666666666666666";

// Game codes: AAAE for A and G; F's serial has the system prefix.
const char* const kDat = R"dat(<datafile><header><name>GBA</name></header>
<game name="A"><rom name="a.gba" size="100" crc="11111111" md5="11111111111111111111111111111111"
  sha1="1111111111111111111111111111111111111111" serial="AGB-AAAE-USA"/></game>
<game name="B"><rom name="b.gba" size="200" crc="22222222" status="verified"/></game>
<game name="C [b]"><rom name="c.gba" size="300" crc="33333333" status="baddump"/></game>
<game name="D"><rom name="d.gba" size="400" crc="44444444" status="nodump"/></game>
<game name="E [b]"><rom name="e.gba" size="500" crc="55555555" status="baddump"/></game>
<game name="E"><rom name="e.gba" size="500" crc="55555555"/></game>
<game name="F"><rom name="sub\f.gba" size="600" sha1="6666666666666666666666666666666666666666" serial="AGB-FFFJ"/></game>
<game name="G"><rom name="g.gba" size="700" crc="77777777" serial="AAAE"/></game>
</datafile>)dat";

Sha1Digest Sha1(const char* hex) {
    Sha1Digest digest{};
    for (std::size_t i = 0; i < digest.size(); ++i) {
        digest[i] = static_cast<std::uint8_t>(std::stoi(std::string(hex + 2 * i, 2), nullptr, 16));
    }
    return digest;
}

CDatIndex IndexOf(std::initializer_list<const char*> texts) {
    CDatIndex index;
    for (const char* text : texts) {
        auto loaded = CDatFile::Parse(text, "test.dat");
        EXPECT_TRUE(loaded.dat) << loaded.error.Text();
        index.Add(std::move(*loaded.dat));
    }
    return index;
}

} // namespace

TEST(DatMatch, StatusWordsAreTheSystemWords) {
    EXPECT_EQ(DatMatchStatusWord(DatMatchStatus::Good), "good");
    EXPECT_EQ(DatMatchStatusWord(DatMatchStatus::BadDump), "baddump");
    EXPECT_EQ(DatMatchStatusWord(DatMatchStatus::Unknown), "unknown");
    EXPECT_EQ(DatMatchStatusWord(DatMatchStatus::Unchecked), "unchecked");
}

TEST(DatMatch, ImagesAreJudgedByTheirHashes) {
    const CDatIndex index = IndexOf({kDat});
    const CDatMatcher matcher(index);
    Md5Digest otherMd5{};
    otherMd5.fill(0x11);
    otherMd5[15] = 0x12;
    const struct {
        const char* what;
        ImageFacts image;
        DatMatchStatus status;
        std::string game;
        bool nameMatches;
        std::vector<std::string> gamesWithGameCode;
    } cases[] = {
        {"no CRC-32 yet",
         {.size = 100, .fileName = "a.gba"},
         DatMatchStatus::Unchecked,
         "",
         false,
         {}},
        {"good, its name",
         {.size = 100, .crc32 = 0x11111111, .sha1 = Sha1(kSha1A), .fileName = "dir/a.gba"},
         DatMatchStatus::Good,
         "A",
         true,
         {}},
        {"good, another name",
         {.size = 100, .crc32 = 0x11111111, .fileName = "A.GBA"},
         DatMatchStatus::Good,
         "A",
         false,
         {}},
        {"verified",
         {.size = 200, .crc32 = 0x22222222, .sha1 = Sha1(kSha1A)},
         DatMatchStatus::Good,
         "B",
         false,
         {}},
        {"bad dump",
         {.size = 300, .crc32 = 0x33333333, .fileName = "c.gba"},
         DatMatchStatus::BadDump,
         "C [b]",
         true,
         {}},
        {"never dumped",
         {.size = 400, .crc32 = 0x44444444},
         DatMatchStatus::Unknown,
         "",
         false,
         {}},
        {"good before bad dump",
         {.size = 500, .crc32 = 0x55555555},
         DatMatchStatus::Good,
         "E",
         false,
         {}},
        {"SHA-1 disagrees",
         {.size = 100, .crc32 = 0x11111111, .sha1 = Sha1(kSha1F)},
         DatMatchStatus::Unknown,
         "",
         false,
         {}},
        {"MD5 disagrees",
         {.size = 100, .crc32 = 0x11111111, .md5 = otherMd5},
         DatMatchStatus::Unknown,
         "",
         false,
         {}},
        {"size disagrees",
         {.size = 101, .crc32 = 0x11111111},
         DatMatchStatus::Unknown,
         "",
         false,
         {}},
        {"only a SHA-1 listed",
         {.size = 600, .crc32 = 1, .sha1 = Sha1(kSha1F), .fileName = "f.gba"},
         DatMatchStatus::Good,
         "F",
         true,
         {}},
        {"unknown, two games with its code",
         {.size = 1, .crc32 = 1, .gameCode = "AAAE"},
         DatMatchStatus::Unknown,
         "",
         false,
         {"A", "G"}},
        {"unknown, code with prefix in the DAT",
         {.size = 1, .crc32 = 1, .gameCode = "FFFJ"},
         DatMatchStatus::Unknown,
         "",
         false,
         {"F"}},
        {"unknown, code in no DAT",
         {.size = 1, .crc32 = 1, .gameCode = "ZZZE"},
         DatMatchStatus::Unknown,
         "",
         false,
         {}},
    };
    for (const auto& c : cases) {
        const DatMatch match = matcher.Match(c.image);
        EXPECT_EQ(match.status, c.status) << c.what;
        EXPECT_EQ(match.rom ? match.rom->gameName : "", c.game) << c.what;
        EXPECT_EQ(match.nameMatches, c.nameMatches) << c.what;
        EXPECT_EQ(match.gamesWithGameCode, c.gamesWithGameCode) << c.what;
    }
    // No DAT loaded: nothing is checked.
    const CDatIndex empty;
    EXPECT_EQ(CDatMatcher(empty).Match({.size = 100, .crc32 = 0x11111111}).status,
              DatMatchStatus::Unchecked);
}

TEST(DatMatch, LookupsAnswerInLoadOrder) {
    const CDatIndex index = IndexOf({kDat, "game ( name Z rom ( name z size 200 crc 22222222 ) )"});
    const auto found = index.FindBySizeAndCrc(200, 0x22222222);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0]->gameName, "B");
    EXPECT_EQ(found[1]->gameName, "Z");
    EXPECT_EQ(index.FindBySha1(Sha1(kSha1F)).at(0)->gameName, "F");
    EXPECT_TRUE(index.HasSerials());
}

TEST(DatMatch, MissingGamesAreThoseNoImageSupplies) {
    // A second DAT lists A's dump as another game: it is present too.
    const CDatIndex index =
        IndexOf({kDat, "game ( name A2 rom ( name x size 100 crc 11111111 ) rom ( name y size 9 "
                       "crc 99999999 ) )\ngame ( name A3 rom ( name x size 100 crc 11111111 ) )"});
    const CDatMatcher matcher(index);
    std::vector<DatMatch> matches;
    for (const auto& [size, crc] : {std::pair{100, 0x11111111u}, {300, 0x33333333u}, {1, 1u}}) {
        matches.push_back(matcher.Match({.size = std::uint64_t(size), .crc32 = crc}));
    }
    std::vector<std::string> missing;
    for (const MissingGame& game : matcher.FindMissing(matches)) {
        missing.push_back(game.dat->name + ": " + game.gameName);
    }
    // D was never dumped; A2 lacks its second ROM.
    EXPECT_EQ(missing, (std::vector<std::string>{"GBA: B", "GBA: E [b]", "GBA: E", "GBA: F",
                                                 "GBA: G", "test.dat: A2"}));
}
