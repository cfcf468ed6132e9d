// quillbey-cli --json beyond the golden files: the schema of entries the
// samples do not have, odd folders and names, and UTF-8 output for names
// that are not UTF-8.
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

} // namespace

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
