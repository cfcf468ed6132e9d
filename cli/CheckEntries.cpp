// Checking and hashing a report's entries, with progress on a terminal.
#include "CheckEntries.h"

#include "CProgressLine.h"
#include "HashProgressText.h"

#include <chrono>

std::vector<EntryCheck> CheckEntries(const CDatIndex* index,
                                     const std::vector<ReportedEntry>& entries,
                                     const EntryCheckOptions& options, bool showProgress) {
    std::vector<const CRomEntry*> checked;
    checked.reserve(entries.size());
    for (const ReportedEntry& reported : entries) {
        checked.push_back(reported.entry);
    }
    CEntryChecker checker(index, std::move(checked), options);
    const auto start = std::chrono::steady_clock::now();
    CProgressLine progress;
    // When no thread starts, every entry is done at once, with the reason.
    if (checker.Start()) {
        while (!checker.WaitUntilDone(std::chrono::milliseconds(100))) {
            if (showProgress && progress.IsDue()) {
                const std::chrono::duration<double> seconds =
                    std::chrono::steady_clock::now() - start;
                progress.Show(HashProgressText(checker.GetProgress(), seconds.count()));
            }
        }
    }
    progress.Clear();
    std::vector<EntryCheck> checks;
    checks.reserve(checker.GetCount());
    for (std::size_t position = 0; position < checker.GetCount(); ++position) {
        checks.push_back(checker.Get(position));
    }
    return checks;
}
