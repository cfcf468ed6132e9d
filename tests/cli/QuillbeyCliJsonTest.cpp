// quillbey-cli --json: the document's exact schema, the row order and item
// data, the details texts, and UTF-8 output for names that are not UTF-8.
#include "CliTest.h"
#include "romio/CFileSystem.h"
#include "tests/support/ZipBuilder.h"

#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

#include <set>

using namespace testing_support;
using Json = nlohmann::json;
using ::testing::ElementsAre;

namespace {

std::set<std::string> KeysOf(const Json& object) {
    std::set<std::string> keys;
    for (const auto& item : object.items()) {
        keys.insert(item.key());
    }
    return keys;
}

// Every ENTRY has exactly these members, of these types.
void ExpectEntrySchema(const Json& entry) {
    ASSERT_TRUE(entry.is_object());
    EXPECT_EQ(KeysOf(entry),
              (std::set<std::string>{"index", "display_name", "path", "file_name", "inner_name",
                                     "size", "crc32", "flags", "header_valid", "logo_error",
                                     "complement_error", "highlight_complement", "details"}));
    for (const char* number : {"index", "size", "crc32", "flags"}) {
        EXPECT_TRUE(entry[number].is_number_integer()) << number;
    }
    for (const char* text : {"display_name", "path", "file_name", "inner_name"}) {
        EXPECT_TRUE(entry[text].is_string()) << text;
    }
    for (const char* flag :
         {"header_valid", "logo_error", "complement_error", "highlight_complement"}) {
        EXPECT_TRUE(entry[flag].is_boolean()) << flag;
    }
    const Json& details = entry["details"];
    ASSERT_TRUE(details.is_object());
    EXPECT_EQ(KeysOf(details),
              (std::set<std::string>{"internal_name", "version", "serial", "maker", "rom_size",
                                     "unit_code", "device_type", "complement", "crc32"}));
    for (const auto& item : details.items()) {
        EXPECT_TRUE(item.value().is_string()) << item.key();
    }
}

// Parses the whole output; a document that is not valid JSON (or not valid
// UTF-8) fails the test.
Json Parse(const std::string& out) {
    try {
        return Json::parse(out);
    } catch (const Json::exception& e) {
        ADD_FAILURE() << "not a JSON document: " << e.what() << "\n" << out;
        return Json::object();
    }
}

std::vector<std::string> DisplayNames(const Json& document) {
    std::vector<std::string> names;
    for (const Json& entry : document["entries"]) {
        names.push_back(entry["display_name"].get<std::string>());
    }
    return names;
}

// `header` changed so that the bytes call for complement 0x2A while 0x1F is stored.
CartridgeHeader WithWrongComplement(CartridgeHeader header) {
    header[0xB5] = static_cast<std::uint8_t>(header[0xB5] + ReferenceComplement(header) - 0x2A);
    header[0xBD] = 0x1F;
    return header;
}

} // namespace

TEST_F(CliTest, ScanJsonHasTheSchemaOrderAndItemData) {
    HeaderFields good;
    good.title = "GOOD GAME";
    good.gameCode = "QGDE";
    good.maker = "01";
    good.version = 10;
    good.deviceType = 0x80;
    WriteImage("a.gba", good, 1572864);
    HeaderFields bad;
    bad.title = "BAD SUM";
    m_dir.WriteFile("b.bin", BuildImage(WithWrongComplement(BuildHeader(bad)), 300));
    HeaderFields inner;
    inner.title = "INNER";
    inner.maker = "5X";
    const auto innerImage = BuildImage(BuildHeader(inner), 8388608);
    WriteZip(m_dir / "c.zip", {{"d.agb", innerImage}});

    const auto result = Run({"scan", "--json", m_dir.Path()});

    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const Json document = Parse(result.out);
    ASSERT_TRUE(document.is_object());
    EXPECT_EQ(KeysOf(document), (std::set<std::string>{"folder", "entries"}));
    EXPECT_EQ(document["folder"], m_dir.Path());
    ASSERT_TRUE(document["entries"].is_array());
    ASSERT_EQ(document["entries"].size(), 3u);
    for (const Json& entry : document["entries"]) {
        ExpectEntrySchema(entry);
    }
    EXPECT_THAT(DisplayNames(document), ElementsAre("a.gba", "b.bin", "d.agb"));

    const Json& a = document["entries"][0];
    EXPECT_EQ(a["index"], 1); // rows were found as b.bin, a.gba, d.agb
    EXPECT_EQ(a["path"], m_dir / "a.gba");
    EXPECT_EQ(a["file_name"], "a.gba");
    EXPECT_EQ(a["inner_name"], "");
    EXPECT_EQ(a["size"], 1572864);
    EXPECT_EQ(a["crc32"], 0);
    EXPECT_EQ(a["flags"], 0);
    EXPECT_EQ(a["header_valid"], true);
    EXPECT_EQ(a["logo_error"], false);
    EXPECT_EQ(a["complement_error"], false);
    EXPECT_EQ(a["highlight_complement"], false);
    const Json& ad = a["details"];
    EXPECT_EQ(ad["internal_name"], "GOOD GAME");
    EXPECT_EQ(ad["version"], "1.10");
    EXPECT_EQ(ad["serial"], "AGB-QGDE-USA");
    EXPECT_EQ(ad["maker"], "Nintendo");
    EXPECT_EQ(ad["rom_size"], "8 MBit = 1 MByte");
    EXPECT_EQ(ad["unit_code"], "00h");
    EXPECT_EQ(ad["device_type"], "80h");
    EXPECT_EQ(ad["crc32"], "N/A");

    const Json& b = document["entries"][1];
    EXPECT_EQ(b["index"], 0);
    EXPECT_EQ(b["flags"], 8);
    EXPECT_EQ(b["complement_error"], true);
    EXPECT_EQ(b["highlight_complement"], true);
    EXPECT_EQ(b["details"]["complement"], "1Fh (2Ah)");
    EXPECT_EQ(b["details"]["rom_size"], "0 MBit = 0 MByte");

    const Json& d = document["entries"][2];
    EXPECT_EQ(d["index"], 2);
    EXPECT_EQ(d["display_name"], "d.agb");
    EXPECT_EQ(d["inner_name"], "d.agb");
    EXPECT_EQ(d["file_name"], "c.zip");
    EXPECT_EQ(d["path"], m_dir / "c.zip");
    EXPECT_EQ(d["size"], 8388608);
    EXPECT_EQ(d["crc32"], Crc32Of(innerImage));
    EXPECT_EQ(d["details"]["rom_size"], "64 MBit = 8 MByte");
    EXPECT_EQ(d["details"]["maker"], "Micro\xC3\xAF"
                                     "ds");
    char crcText[16];
    std::snprintf(crcText, sizeof crcText, "%08Xh", Crc32Of(innerImage));
    EXPECT_EQ(d["details"]["crc32"], crcText);
}

TEST_F(CliTest, InfoJsonKeepsArgumentOrderAndIndexes) {
    const std::string z = WriteImage("z.gba");
    const std::string a = WriteImage("a.gba");

    const auto result = Run({"info", "--json", z, a});

    ASSERT_EQ(result.exitCode, 0) << result.err;
    const Json document = Parse(result.out);
    EXPECT_EQ(KeysOf(document), (std::set<std::string>{"entries"}));
    ASSERT_EQ(document["entries"].size(), 2u);
    for (const Json& entry : document["entries"]) {
        ExpectEntrySchema(entry);
    }
    EXPECT_THAT(DisplayNames(document), ElementsAre("z.gba", "a.gba"));
    EXPECT_EQ(document["entries"][0]["index"], 0);
    EXPECT_EQ(document["entries"][1]["index"], 1);
    EXPECT_EQ(document["entries"][0]["path"], z);
}

TEST_F(CliTest, FailedFixedValueGivesEmptyDetailsButKeepsTheFlags) {
    HeaderFields fields;
    fields.fixedValue = 0x95;
    fields.logoIntact = false;
    fields.complementRight = false;
    WriteImage("junk.gba", fields, 1048576);

    const auto result = Run({"scan", "--json", m_dir.Path()});

    ASSERT_EQ(result.exitCode, 0) << result.err;
    const Json document = Parse(result.out);
    ASSERT_EQ(document["entries"].size(), 1u);
    const Json& entry = document["entries"][0];
    ExpectEntrySchema(entry);
    EXPECT_EQ(entry["header_valid"], false);
    EXPECT_EQ(entry["flags"], 0x18);
    EXPECT_EQ(entry["size"], 1048576);
    // "flags" keeps the scan's findings; "logo_error" mirrors the panel's
    // tick, which an invalid header never shows.
    EXPECT_EQ(entry["logo_error"], false);
    EXPECT_EQ(entry["complement_error"], true);
    EXPECT_EQ(entry["highlight_complement"], false);
    for (const auto& item : entry["details"].items()) {
        EXPECT_EQ(item.value(), "") << item.key();
    }
}

TEST_F(CliTest, LogoFlagIsReportedForAValidHeader) {
    HeaderFields fields;
    fields.logoIntact = false;
    WriteImage("logo.gba", fields);

    const auto result = Run({"scan", "--json", m_dir.Path()});

    const Json document = Parse(result.out);
    ASSERT_EQ(document["entries"].size(), 1u);
    EXPECT_EQ(document["entries"][0]["flags"], 16);
    EXPECT_EQ(document["entries"][0]["logo_error"], true);
    EXPECT_EQ(document["entries"][0]["complement_error"], false);
}

TEST_F(CliTest, NamesThatAreNotUtf8ComeOutAsWindows1252InUtf8) {
#ifdef _WIN32
    GTEST_SKIP() << "a Windows name is always Unicode";
#endif
    const std::string folder = m_dir.MakeSubdir("d\xEFr");
    m_dir.WriteFile("d\xEFr/\xE9t\xE9.gba", BuildImage(BuildHeader(), 512));
    m_dir.WriteFile("d\xEFr/\x81\x9D.bin", BuildImage(BuildHeader(), 512));
    m_dir.WriteFile("d\xEFr/caf\xC3\xA9.agb", BuildImage(BuildHeader(), 512)); // UTF-8 already
    WriteZip(folder + "/pack.zip", {{"\xFC"
                                     "ber.gba",
                                     BuildImage(BuildHeader(), 512)}});
    HeaderFields odd;
    odd.title = "\xE9\x80\x9F";
    m_dir.WriteFile("d\xEFr/odd.gba", BuildImage(BuildHeader(odd), 512));

    const auto result = Run({"scan", "--json", folder});

    ASSERT_EQ(result.exitCode, 0) << result.err;
    const Json document = Parse(result.out); // the parser rejects invalid UTF-8
    const std::string utf8Folder = m_dir.Path() + "/d\xC3\xAFr";
    EXPECT_EQ(document["folder"], utf8Folder);
    // Sorted by the raw bytes: ASCII first, then 0x81, 0xE9, 0xFC.
    EXPECT_THAT(DisplayNames(document), ElementsAre("caf\xC3\xA9.agb", "odd.gba",
                                                    "\xC2\x81\xC2\x9D.bin", "\xC3\xA9t\xC3\xA9.gba",
                                                    "\xC3\xBC"
                                                    "ber.gba"));
    const Json& entries = document["entries"];
    EXPECT_EQ(entries[2]["path"], utf8Folder + "/\xC2\x81\xC2\x9D.bin");
    EXPECT_EQ(entries[2]["file_name"], "\xC2\x81\xC2\x9D.bin");
    EXPECT_EQ(entries[4]["inner_name"], "\xC3\xBC"
                                        "ber.gba");
    EXPECT_EQ(entries[4]["path"], utf8Folder + "/pack.zip");
    // Header bytes outside 0x20-0x7F read as spaces.
    EXPECT_EQ(entries[1]["details"]["internal_name"], "");
}

TEST_F(CliTest, TrailingSlashIsDroppedOnceFromTheScannedFolder) {
    WriteImage("a.gba");

    const auto result = Run({"scan", "--json", m_dir.Path() + "/"});

    ASSERT_EQ(result.exitCode, 0) << result.err;
    const Json document = Parse(result.out);
    ASSERT_EQ(document["entries"].size(), 1u);
    EXPECT_EQ(document["entries"][0]["path"], m_dir / "a.gba");
}

TEST_F(CliTest, RootFolderIsScannedWithoutDoubleSlashes) {
#ifdef _WIN32
    const std::string root = m_dir.Path().substr(0, 3); // "C:\"
#else
    const std::string root = "/";
#endif
    const auto result = Run({"scan", "--json", root});

    ASSERT_EQ(result.exitCode, 0) << result.err;
    const Json document = Parse(result.out);
    EXPECT_EQ(document["folder"], root);
    ASSERT_TRUE(document["entries"].is_array());
    for (const Json& entry : document["entries"]) {
        const std::string path = entry["path"].get<std::string>();
        EXPECT_EQ(path.find_last_of("/\\"), root.size() - 1) << path;
    }
}

TEST_F(CliTest, JapaneseAndEmojiNamesComeOutWhole) {
    const std::string japanese = "\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0"; // "game" in katakana
    const std::string folder = m_dir.MakeSubdir(japanese);
    const std::string emoji = "\xF0\x9F\x8E\xAE";
    m_dir.WriteFile(japanese + "/" + japanese + ".gba", BuildImage(BuildHeader(), 512));
    WriteZip(folder + CFileSystem::kSeparator + emoji + ".zip",
             {{japanese + "/" + emoji + ".agb", BuildImage(BuildHeader(), 512)}});

    const auto scan = Run({"scan", "--json", folder});
    const auto info = Run({"info", "--json", folder + CFileSystem::kSeparator + emoji + ".zip"});

    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    ASSERT_EQ(info.exitCode, 0) << info.err;
    const Json document = Parse(scan.out);
    EXPECT_EQ(document["folder"], folder);
    EXPECT_THAT(DisplayNames(document),
                ElementsAre(japanese + ".gba", japanese + "/" + emoji + ".agb"));
    EXPECT_EQ(document["entries"][0]["path"], folder + CFileSystem::kSeparator + japanese + ".gba");
    Json scanned = document["entries"][1];
    Json single = Parse(info.out)["entries"][0];
    EXPECT_EQ(scanned["file_name"], emoji + ".zip");
    scanned.erase("index");
    single.erase("index");
    EXPECT_EQ(single, scanned); // the path given is the path the scan made
}

TEST_F(CliTest, EmptyFolderGivesAnEmptyEntryList) {
    const auto result = Run({"scan", "--json", m_dir.Path()});

    ASSERT_EQ(result.exitCode, 0) << result.err;
    const Json document = Parse(result.out);
    EXPECT_EQ(KeysOf(document), (std::set<std::string>{"folder", "entries"}));
    EXPECT_EQ(document["entries"], Json::array());
}
