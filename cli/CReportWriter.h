// The command line's output formats: each writes the entries of one report
// (a folder's images, or single files) into an output buffer. What an entry
// shows comes from the window-free details code and its field description,
// as in the dialog's panel.
#pragma once

#include "COutputBuffer.h"
#include "CValueDictionary.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CRomEntry;
struct EntryCheck;

struct ReportedEntry {
    const CRomEntry* entry = nullptr;
    std::int64_t index = 0; // the row's item data, or the argument's position
    // In a walk through a tree, the folder relative to its top (kept by the
    // walk); nullptr for the top. A pointer: a report may hold 100,000 entries.
    const std::string* folder = nullptr;
    // What checking it against the DATs or hashing it whole gave; nullptr
    // when neither was asked for.
    const EntryCheck* check = nullptr;
    // Its values, formatted for the report on the scan's thread as it was
    // found (a CEntryRecord); nullptr: the report formats it when written.
    const char* ready = nullptr;

    std::string_view Folder() const { return folder != nullptr ? *folder : std::string_view(); }
};

// What a report shows of each entry beyond its header. Without any of them
// the outputs are exactly those of a plain scan, which scripts rely on.
struct ReportColumns {
    // The report comes from a walk through a tree: each entry shows the
    // folder it was found in.
    bool bFolders = false;
    // The DAT result (--dat).
    bool bDat = false;
    // The whole image's CRC-32, MD5, SHA-1 and save type (--hash).
    bool bHashes = false;
};

// Buffers reused from entry to entry while entries are formatted.
struct FormatScratch {
    std::string converted; // texts converted to UTF-8
    std::string formatted; // a value escaped or quoted for the format
    std::string record;    // an entry's values, when none were prepared
};

class CReportWriter {
public:
    enum class Format { Table, Json, Csv };

    virtual ~CReportWriter() = default;

    static std::unique_ptr<CReportWriter> Create(Format format, ReportColumns columns = {});

    // Writes the report of `entries`, found in `folder` (nullptr for single
    // files), into `out`, handing full blocks on as it goes.
    virtual void Write(const std::vector<ReportedEntry>& entries, const std::string* folder,
                       COutputBuffer& out) = 0;

    // Formats what `reported` shows, all but its DAT result and hashes, into
    // `record` (see CEntryRecord), which Write() then takes as `ready`. Uses
    // nothing of the writer but its settings: a scan's thread may call it.
    virtual void PrepareEntry(const ReportedEntry& reported, std::string& record,
                              FormatScratch& scratch) const = 0;

    // The whole report as one text.
    std::string ToText(const std::vector<ReportedEntry>& entries, const std::string* folder);

protected:
    // The columns an entry's prepared record holds: all but those known only
    // after the whole-image check.
    ReportColumns PreparedColumns() const {
        return {.bFolders = m_columns.bFolders, .bDat = false, .bHashes = false};
    }
    // `reported`'s record: the one prepared on the scan's thread, else made now.
    const char* ReadyRecord(const ReportedEntry& reported, FormatScratch& scratch) const;

    ReportColumns m_columns;
    // The values the records share; PrepareEntry() adds to it from any thread.
    mutable CValueDictionary m_sharedValues;
};
