// The command line's output formats: each writes the entries of one report
// (a folder's images, or single files) into an output buffer. What an entry
// shows comes from the window-free details code and its field description,
// as in the dialog's panel.
#pragma once

#include "COutputBuffer.h"

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

class CReportWriter {
public:
    enum class Format { Table, Json, Csv };

    virtual ~CReportWriter() = default;

    static std::unique_ptr<CReportWriter> Create(Format format, ReportColumns columns = {});

    // Writes the report of `entries`, found in `folder` (nullptr for single
    // files), into `out`, handing full blocks on as it goes.
    virtual void Write(const std::vector<ReportedEntry>& entries, const std::string* folder,
                       COutputBuffer& out) = 0;

    // The whole report as one text.
    std::string ToText(const std::vector<ReportedEntry>& entries, const std::string* folder);

protected:
    ReportColumns m_columns;
};
