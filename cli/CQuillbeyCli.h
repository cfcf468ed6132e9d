// The command-line front end: `scan` a folder exactly as the dialog does,
// give `info` on single files, as a table, JSON or CSV, either of them with
// each image's DAT result and whole-image hashes; or `verify` a folder
// against DAT files.
#pragma once

#include "CReportWriter.h"
#include "dat/CDatIndex.h"

#include <string>
#include <vector>

class CFolderWalk;
struct EntryCheck;

class CQuillbeyCli {
public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitError = 1;  // a folder or file could not be read
    static constexpr int kExitUsage = 2;  // also: a DAT that cannot be read
    static constexpr int kExitFaults = 3; // --check found a damaged header; verify found
                                          // a bad dump or an unknown image

    // Parses the arguments and runs the command; returns the exit code.
    int Run(int argc, char** argv);

private:
    int RunScan(const std::string& folder);
    int RunInfo(const std::vector<std::string>& files);
    int RunVerify(const std::string& folder);
    // Reads the DATs given; false, with the error shown, when one cannot be read.
    bool LoadDats();
    // Walks the folder as scan and verify do; false, with the error shown,
    // when the folder itself cannot be read.
    bool WalkFolder(CFolderWalk& walk, const std::string& folder) const;
    // --dat or --hash asks for each image's check.
    bool ChecksImages() const { return !m_datPaths.empty() || m_bHash; }
    // Checks the entries against the DATs and hashes them as asked, pointing
    // each at its result in `checks`; false when an image could not be read
    // (each is shown).
    bool CheckImages(std::vector<ReportedEntry>& entries, std::vector<EntryCheck>& checks) const;
    ReportColumns Columns() const;
    CReportWriter::Format OutputFormat() const;
    static void WriteOutput(CReportWriter& writer, const std::vector<ReportedEntry>& entries,
                            const std::string* folder);

    bool m_bJson = false;
    bool m_bCsv = false;
    bool m_bCheck = false;
    bool m_bRecursive = false;
    int m_nJobs = 0; // 0: the scan decides
    std::vector<std::string> m_datPaths;
    bool m_bHash = false;
    bool m_bMissing = false;
    CDatIndex m_dats;
};
