// Checks a report's entries against the loaded DATs and hashes them whole as
// asked, for the command line: it waits for the end, showing the progress on
// a terminal while images are read.
#pragma once

#include "CReportWriter.h"
#include "ui/CEntryChecker.h"

#include <vector>

// The results in the order of `entries`; `index` nullptr: no DAT. An image
// that could not be hashed has its `failureText` set.
std::vector<EntryCheck> CheckEntries(const CDatIndex* index,
                                     const std::vector<ReportedEntry>& entries,
                                     const EntryCheckOptions& options, bool showProgress);
