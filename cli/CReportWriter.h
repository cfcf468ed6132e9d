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

struct ReportedEntry {
    const CRomEntry* entry = nullptr;
    std::int64_t index = 0; // the row's item data, or the argument's position
    // In a walk through a tree, the folder relative to its top (kept by the
    // walk); nullptr for the top. A pointer: a report may hold 100,000 entries.
    const std::string* folder = nullptr;

    std::string_view Folder() const { return folder != nullptr ? *folder : std::string_view(); }
};

class CReportWriter {
public:
    enum class Format { Table, Json, Csv };

    virtual ~CReportWriter() = default;

    // `withFolders`: the report comes from a walk through a tree, and each
    // entry shows the folder it was found in.
    static std::unique_ptr<CReportWriter> Create(Format format, bool withFolders = false);

    // Writes the report of `entries`, found in `folder` (nullptr for single
    // files), into `out`, handing full blocks on as it goes.
    virtual void Write(const std::vector<ReportedEntry>& entries, const std::string* folder,
                       COutputBuffer& out) = 0;

    // The whole report as one text.
    std::string ToText(const std::vector<ReportedEntry>& entries, const std::string* folder);

protected:
    bool m_bWithFolders = false;
};
