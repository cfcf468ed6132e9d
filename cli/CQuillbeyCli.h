// The command-line front end: `scan` a folder exactly as the dialog does, or
// give `info` on single files, as a table or as JSON.
#pragma once

#include "CReportWriter.h"

#include <string>
#include <vector>

class CQuillbeyCli {
public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitError = 1; // a folder or file could not be read
    static constexpr int kExitUsage = 2;
    static constexpr int kExitFaults = 3; // --check found a damaged header

    // Parses the arguments and runs the command; returns the exit code.
    int Run(int argc, char** argv);

private:
    int RunScan(const std::string& folder);
    int RunInfo(const std::vector<std::string>& files);
    void WriteOutput(const std::vector<ReportedEntry>& entries, const std::string* folder) const;

    bool m_bJson = false;
    bool m_bCsv = false;
    bool m_bCheck = false;
    bool m_bRecursive = false;
    int m_nJobs = 0; // 0: the scan decides
};
