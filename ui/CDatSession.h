// A dialog's DAT and the check of its scanned images against it: loading
// the DAT (a failed load keeps the one loaded), checking a scan's entries in
// the background once the scan is over, handing the dialog's thread what has
// been checked since it last asked, and a stop that ends the reads at once.
#pragma once

#include "CEntryChecker.h"
#include "dat/CDatIndex.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class CRomEntry;

class CDatSession {
public:
    CDatSession();
    // Stops a running check.
    ~CDatSession();
    CDatSession(const CDatSession&) = delete;
    CDatSession& operator=(const CDatSession&) = delete;

    // How the next checks run.
    void SetOptions(EntryCheckOptions options) { m_options = std::move(options); }

    // Loads the DAT at `path` in place of the loaded one, stopping a running
    // check. Returns "" on success, else why it could not be loaded (naming
    // the file, and the line where there is one); the loaded DAT then stays.
    std::string Load(const std::string& path);
    bool IsLoaded() const { return m_index != nullptr; }
    const std::string& GetPath() const { return m_strPath; }

    // Checks `entries` (position = item data; they must outlive the check),
    // forgetting the results of the last check.
    void Start(std::vector<const CRomEntry*> entries);
    // Ends the check at once and forgets its results.
    void Stop();
    bool IsRunning() const;
    // Takes the results finished since the last call; true when there were any.
    bool TakeFinished();

    // The result for the entry at `position`; unchecked while it waits.
    DatMatchStatus StatusAt(std::size_t position) const;
    // The result in words ("good: Some Game", "unchecked", …), with the
    // reason when the image could not be read.
    std::string ResultTextAt(std::size_t position) const;

private:
    std::unique_ptr<CDatIndex> m_index;
    std::string m_strPath;
    EntryCheckOptions m_options;
    std::unique_ptr<CEntryChecker> m_checker;
    std::vector<EntryCheck> m_checks; // by position, as taken so far
};
