// How many images a dialog's scans read at once, from the environment:
// QUILLBEY_JOBS set to a positive whole number sets it; anything else leaves
// the choice to the scan.
#pragma once

#include "scan/ScanOptions.h"

#include <string_view>

inline constexpr const char* kScanJobsVariable = "QUILLBEY_JOBS";

// The number `text` holds when it is a positive decimal number that fits an
// int (no sign, no blanks), else 0.
int ParseScanJobs(std::string_view text);

// Scan options with the jobs of QUILLBEY_JOBS.
ScanOptions ScanOptionsFromEnvironment();
