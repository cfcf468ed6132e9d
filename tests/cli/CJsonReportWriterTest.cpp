// The command line's JSON is written by hand for speed; it must stay byte for
// byte what nlohmann::json's compact dump of the same members gives, for every
// kind of name: quotation marks, backslashes, control characters, DEL, UTF-8
// and names that are not UTF-8.
#include "cli/CJsonReportWriter.h"
#include "header/CGbaHeaderDecoder.h"
#include "scan/CRomEntry.h"
#include "tests/support/HeaderBuilder.h"
#include "ui/RomDetails.h"
#include "ui/TextConversion.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <memory>

using namespace testing_support;

namespace {

using Json = nlohmann::ordered_json;

// The document member by member through nlohmann, as the reference.
std::string ReferenceJson(const CRomEntry& entry, std::int64_t index) {
    CartridgeHeader header{};
    const bool valid = CGbaHeaderDecoder().CheckFixedValue(entry.RestoreSlice(header));
    const RomDetails details = ComputeRomDetails(entry);
    Json json;
    json["index"] = index;
    json["display_name"] = FileNameToUtf8(entry.GetDisplayName());
    json["path"] = PathToUtf8(entry.GetPath());
    json["file_name"] = FileNameToUtf8(entry.m_strFileName);
    json["inner_name"] = FileNameToUtf8(entry.m_strInnerName);
    json["size"] = entry.m_dwSize;
    json["crc32"] = entry.m_dwCrc32;
    json["flags"] = entry.m_dwFlags;
    json["header_valid"] = valid;
    json["logo_error"] = details.m_bLogoError;
    json["complement_error"] = (entry.m_dwFlags & ROMF_COMPLEMENT_ERROR) != 0;
    json["highlight_complement"] = details.m_bHighlightComplement;
    json["details"] = {
        {"internal_name", Cp1252ToUtf8(details.m_strName)},
        {"version", Cp1252ToUtf8(details.m_strVersion)},
        {"serial", Cp1252ToUtf8(details.m_strSerial)},
        {"maker", Cp1252ToUtf8(details.m_strMaker)},
        {"rom_size", Cp1252ToUtf8(details.m_strRomSize)},
        {"unit_code", Cp1252ToUtf8(details.m_strUnitCode)},
        {"device_type", Cp1252ToUtf8(details.m_strDeviceType)},
        {"complement", Cp1252ToUtf8(details.m_strComplement)},
        {"crc32", Cp1252ToUtf8(details.m_strCrc32)},
    };
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::unique_ptr<CRomEntry> Entry(const std::string& fileName, const std::string& innerName,
                                 const CartridgeHeader& header) {
    auto entry = std::make_unique<CRomEntry>(32);
    entry->StoreSlice(header);
    entry->SetFolder(std::make_shared<const std::string>("/roms/\xE9t\xE9/"));
    entry->m_strFileName = fileName;
    entry->m_strInnerName = innerName;
    entry->m_dwSize = 0xFFFFFFFFull * 3;
    entry->m_dwCrc32 = innerName.empty() ? 0 : 0x89ABCDEF;
    entry->m_dwFlags = ROMF_LOGO_ERROR | ROMF_COMPLEMENT_ERROR;
    return entry;
}

} // namespace

TEST(JsonReportWriter, JsonIsWhatTheJsonLibraryWrites) {
    CartridgeHeader oddTitle = BuildHeader({.title = "A\"B\\C\x01\x7F\xE9", .maker = "5X"});
    CartridgeHeader noHeader = BuildHeader({.fixedValue = 0});
    const std::string names[] = {
        "plain.gba",
        "quote\"back\\slash.gba",
        std::string("ctl\x01\x08\x09\x0A\x0C\x0D\x1F\x7F.gba"),
        "utf8 \xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xAE.gba",
        "not utf8 \xE9\xFF\x80\x9F.gba",
        "cut \xC3",
        "",
    };
    std::int64_t index = 0;
    for (const std::string& name : names) {
        using Names = std::pair<std::string, std::string>; // file name, inner name
        for (const auto& [file, inner] : {Names{name, ""}, Names{"p.zip", name}}) {
            for (const CartridgeHeader* header : {&oddTitle, &noHeader}) {
                const auto entry = Entry(file, inner, *header);
                EXPECT_EQ(CJsonReportWriter::EntryJson(ReportedEntry{entry.get(), index, nullptr}),
                          ReferenceJson(*entry, index))
                    << "file '" << file << "', inner '" << inner << "'";
                ++index;
            }
        }
    }
}
