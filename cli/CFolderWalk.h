// The images of a folder for `scan`, and with --recursive those of its whole
// tree: a folder's own images first, sorted as the dialog sorts them, then
// its subfolders depth first in the same name order. Links to folders are
// not followed, so a link loop is walked once. A subfolder that cannot be
// read is reported and skipped; the walk goes on.
#pragma once

#include "CReportWriter.h"
#include "scan/ScanOptions.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class CFolderWalk {
public:
    // Called with a folder that could not be read and the system's error code.
    using ErrorReporter = std::function<void(const std::string& folder, int code)>;

    CFolderWalk(ScanOptions options, bool recursive, bool showProgress);

    // Walks from `folder`; false when `folder` itself cannot be read (its
    // error has then been reported).
    bool Walk(const std::string& folder, const ErrorReporter& reportError);

    // The entries found, in the walk's order (they live in g_romEntries).
    const std::vector<ReportedEntry>& GetEntries() const { return m_entries; }
    std::vector<ReportedEntry>& GetEntries() { return m_entries; }
    // Subfolders that could not be read.
    int GetSkippedFolders() const { return m_nSkippedFolders; }

private:
    // Scans one folder, `relative` to the top; adds its entries and returns
    // its error code (0 when it could be read), with its subfolders in `subfolders`.
    int ScanOne(const std::string& folder, const std::string& relative,
                std::vector<std::string>& subfolders);

    ScanOptions m_options;
    bool m_bRecursive;
    bool m_bShowProgress;
    std::deque<std::string> m_folders; // the entries' relative folders; stable addresses
    std::vector<ReportedEntry> m_entries;
    int m_nSkippedFolders = 0;
};
