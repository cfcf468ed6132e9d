// Collects what a DAT reader finds into a CDatFile, with the checks both
// forms share: required and well-formed fields, UTF-8 names, and duplicate
// entries (the first kept, the rest skipped and counted for one warning).
// A reader hands over fields as text; the first fault stops the DAT.
#pragma once

#include "CDatFile.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>

// The fields of one rom as the reader found them; nullopt where it has none.
struct RawDatRom {
    std::size_t line = 0;
    std::optional<std::string_view> name;
    std::optional<std::string_view> size;
    std::optional<std::string_view> crc;
    std::optional<std::string_view> md5;
    std::optional<std::string_view> sha1;
    std::optional<std::string_view> serial;
    std::optional<std::string_view> status;
};

class CDatBuilder {
public:
    explicit CDatBuilder(const std::string& sourcePath);

    // The header's fields; only the first header counts. False on a fault.
    bool SetHeader(std::string_view name, std::string_view version, std::string_view description,
                   std::size_t line);
    // Checks one game and its ROMs and keeps it unless one of its name came
    // before. False on a fault.
    bool AddGame(std::optional<std::string_view> name, std::size_t line,
                 std::span<const RawDatRom> roms);
    // Records a fault found by the reader itself; always false, so that a
    // reader can `return builder.Fail(...)`.
    bool Fail(std::size_t line, std::string reason);
    bool Failed() const { return m_failed; }

    // The DAT, or the first fault with `errorFile` as the file named.
    DatLoadResult Finish(const std::string& errorFile);

private:
    bool CheckName(std::string_view what, std::string_view name, std::size_t line);
    std::optional<DatRom> MakeRom(const std::string& gameName, const RawDatRom& raw);
    void CountDuplicate(std::size_t line, std::string what);

    std::shared_ptr<DatSource> m_source;
    bool m_haveHeader = false;
    std::vector<DatRom> m_roms;
    std::size_t m_gameCount = 0;
    std::unordered_set<std::string> m_gameNames;

    std::size_t m_duplicates = 0;
    std::size_t m_firstDuplicateLine = 0;
    std::string m_firstDuplicate;

    bool m_failed = false;
    std::size_t m_errorLine = 0;
    std::string m_errorReason;
};
