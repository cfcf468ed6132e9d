// The checks both DAT readers share, and the making of the CDatFile.
#include "CDatBuilder.h"

#include "DatFields.h"
#include "romio/CFileSystem.h"

#include <string_view>

namespace {

std::string Quoted(std::string_view name) {
    // Built by appending: GCC 12 warns falsely (-Wrestrict) on "\"" + std::string.
    std::string quoted;
    quoted.reserve(name.size() + 2);
    quoted += '"';
    quoted += name;
    quoted += '"';
    return quoted;
}

} // namespace

CDatBuilder::CDatBuilder(const std::string& sourcePath) : m_source(std::make_shared<DatSource>()) {
    m_source->path = sourcePath;
}

bool CDatBuilder::SetHeader(std::string_view name, std::string_view version,
                            std::string_view description, std::size_t line) {
    if (m_haveHeader) {
        return true;
    }
    m_haveHeader = true;
    const std::pair<std::string_view, std::string_view> fields[] = {
        {"header name", name}, {"header version", version}, {"header description", description}};
    for (const auto& [what, value] : fields) {
        if (!IsWellFormedUtf8(value)) {
            return Fail(line, std::string(what) + " is not valid UTF-8");
        }
    }
    m_source->name = name;
    m_source->version = version;
    m_source->description = description;
    return true;
}

bool CDatBuilder::CheckName(std::string_view what, std::string_view name, std::size_t line) {
    if (name.empty()) {
        return Fail(line, std::string(what) + " name is empty");
    }
    if (!IsWellFormedUtf8(name)) {
        return Fail(line,
                    std::string(what) + " name " + QuoteForMessage(name) + " is not valid UTF-8");
    }
    if (HasControlCharacter(name)) {
        return Fail(line, std::string(what) + " name " + QuoteForMessage(name) +
                              " holds a control character");
    }
    return true;
}

bool CDatBuilder::AddGame(std::optional<std::string_view> name, std::size_t line,
                          std::span<const RawDatRom> roms) {
    if (!name) {
        return Fail(line, "game without a name");
    }
    if (!CheckName("game", *name, line)) {
        return false;
    }
    const std::string gameName(*name);
    // Every ROM is checked, even those of a duplicate game that is skipped.
    std::vector<DatRom> made;
    std::unordered_set<std::string_view> romNames;
    std::optional<std::size_t> duplicateRomLine;
    for (const RawDatRom& raw : roms) {
        auto rom = MakeRom(gameName, raw);
        if (!rom) {
            return false;
        }
        if (!romNames.insert(*raw.name).second) {
            CountDuplicate(raw.line, "rom " + Quoted(*raw.name) + " of game " + Quoted(gameName));
            continue;
        }
        made.push_back(std::move(*rom));
    }
    if (!m_gameNames.insert(gameName).second) {
        CountDuplicate(line, "game " + Quoted(gameName));
        return true;
    }
    ++m_gameCount;
    for (DatRom& rom : made) {
        m_roms.push_back(std::move(rom));
    }
    return true;
}

std::optional<DatRom> CDatBuilder::MakeRom(const std::string& gameName, const RawDatRom& raw) {
    const std::string where = "game " + Quoted(gameName) + ": ";
    if (!raw.name) {
        Fail(raw.line, where + "rom without a name");
        return std::nullopt;
    }
    if (!CheckName("rom", *raw.name, raw.line)) {
        return std::nullopt;
    }
    DatRom rom;
    rom.gameName = gameName;
    rom.romName = *raw.name;
    const std::string what = where + "rom " + Quoted(*raw.name) + ": ";
    if (!raw.size) {
        Fail(raw.line, what + "no size");
        return std::nullopt;
    }
    const auto size = ParseDatSize(*raw.size);
    if (!size) {
        Fail(raw.line, what + "size " + QuoteForMessage(*raw.size) + " is not a number of bytes");
        return std::nullopt;
    }
    rom.size = *size;
    // An empty hash reads as none: some writers leave the field empty for a
    // ROM that was never dumped.
    const auto badHash = [&](std::string_view field, std::string_view value, int digits) {
        Fail(raw.line, what + std::string(field) + " " + QuoteForMessage(value) + " is not " +
                           std::to_string(digits) + " hexadecimal digits");
        return std::nullopt;
    };
    if (raw.crc && !raw.crc->empty()) {
        rom.crc32 = ParseDatCrc(*raw.crc);
        if (!rom.crc32) {
            return badHash("crc", *raw.crc, 8);
        }
    }
    if (raw.md5 && !raw.md5->empty()) {
        rom.md5 = ParseDatDigest<16>(*raw.md5);
        if (!rom.md5) {
            return badHash("md5", *raw.md5, 32);
        }
    }
    if (raw.sha1 && !raw.sha1->empty()) {
        rom.sha1 = ParseDatDigest<20>(*raw.sha1);
        if (!rom.sha1) {
            return badHash("sha1", *raw.sha1, 40);
        }
    }
    if (raw.serial) {
        if (!IsWellFormedUtf8(*raw.serial)) {
            Fail(raw.line, what + "serial is not valid UTF-8");
            return std::nullopt;
        }
        rom.serial = *raw.serial;
    }
    if (raw.status) {
        const auto status = ParseDumpStatus(*raw.status);
        if (!status) {
            Fail(raw.line, what + "status " + QuoteForMessage(*raw.status) +
                               " is none of good, verified, baddump and nodump");
            return std::nullopt;
        }
        rom.status = *status;
    }
    rom.source = m_source;
    return rom;
}

void CDatBuilder::CountDuplicate(std::size_t line, std::string what) {
    if (m_duplicates++ == 0) {
        m_firstDuplicateLine = line;
        m_firstDuplicate = std::move(what);
    }
}

bool CDatBuilder::Fail(std::size_t line, std::string reason) {
    if (!m_failed) {
        m_failed = true;
        m_errorLine = line;
        m_errorReason = std::move(reason);
    }
    return false;
}

DatLoadResult CDatBuilder::Finish(const std::string& errorFile) {
    DatLoadResult result;
    if (m_failed) {
        result.error = {errorFile, m_errorLine, std::move(m_errorReason)};
        return result;
    }
    if (m_source->name.empty()) {
        m_source->name = m_source->path.substr(CFileSystem::LastComponentStart(m_source->path));
    }
    if (m_duplicates > 0) {
        result.warnings.push_back(
            errorFile + ": " + std::to_string(m_duplicates) + " duplicate " +
            (m_duplicates == 1 ? "entry" : "entries") + " skipped, the first of each kept (line " +
            std::to_string(m_firstDuplicateLine) + ": " + m_firstDuplicate + ").");
    }
    if (m_gameCount == 0) {
        result.warnings.push_back(errorFile + ": lists no games.");
    }
    result.dat.emplace(CDatFile(std::move(m_source), std::move(m_roms), m_gameCount));
    return result;
}
