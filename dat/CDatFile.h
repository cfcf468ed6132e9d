// One DAT file loaded whole: what its header says and the ROMs of its games.
// Reads both forms preservation groups publish, Logiqx XML and the older
// clrmamepro text, each plain or as the first .dat/.xml entry of a ZIP
// archive; the form is told from the content, never from the file name.
//
//   DatLoadResult loaded = CDatFile::Load(path);
//   if (!loaded.dat) { show(loaded.error.Text()); }
//   for (const std::string& warning : loaded.warnings) { show(warning); }
//
// Loading never throws and never crashes on hostile input; memory is bounded
// by the file size limit (kMaxBytes).
#pragma once

#include "DatRom.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Why a DAT could not be loaded.
struct DatError {
    std::string file;     // the path, with the entry as "path (entry.dat)" for a ZIP archive
    std::size_t line = 0; // 1-based; 0 when the fault belongs to no line
    std::string reason;   // one clause, no final period

    // "file: line 12: reason", or "file: reason" without a line.
    std::string Text() const;
};

struct DatLoadResult;

// Which reader Parse() uses.
enum class DatForm : std::uint8_t {
    Detect, // from the first characters: "<" is XML, anything else text
    Xml,
    Text,
};

class CDatFile {
public:
    // Largest file, or ZIP entry, read: real DATs of the system are a few
    // megabytes. XML needs several times this while it is parsed.
    static constexpr std::size_t kMaxBytes = std::size_t{32} << 20;

    // Reads the DAT at `path` (a plain DAT or a ZIP archive holding one).
    // `maxBytes` stands in for kMaxBytes (the tests use small limits).
    static DatLoadResult Load(const std::string& path, std::size_t maxBytes = kMaxBytes);
    // Reads a DAT already in memory; `sourcePath` names it in errors and in
    // every ROM's DatSource.
    static DatLoadResult Parse(std::string_view text, const std::string& sourcePath,
                               DatForm form = DatForm::Detect);

    const DatSource& Source() const { return *m_source; }
    const std::shared_ptr<const DatSource>& SharedSource() const { return m_source; }
    // Every ROM in file order; the ROMs of one game are next to each other.
    const std::vector<DatRom>& Roms() const { return m_roms; }
    // Games listed, duplicates not counted; a game without ROMs counts.
    std::size_t GameCount() const { return m_gameCount; }

private:
    friend class CDatBuilder;
    CDatFile(std::shared_ptr<const DatSource> source, std::vector<DatRom> roms,
             std::size_t gameCount)
        : m_source(std::move(source)), m_roms(std::move(roms)), m_gameCount(gameCount) {}

    std::shared_ptr<const DatSource> m_source;
    std::vector<DatRom> m_roms;
    std::size_t m_gameCount = 0;
};

struct DatLoadResult {
    std::optional<CDatFile> dat; // empty when the DAT was refused: see `error`
    DatError error;
    // Faults the DAT was loaded in spite of, each a whole sentence naming the
    // file (skipped duplicate entries, counted once).
    std::vector<std::string> warnings;
};
