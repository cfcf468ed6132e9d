// A dialog's DAT and the check of its scanned images against it: loading
// the DAT on a thread of its own (a DAT near the size limit takes most of a
// second; a failed load keeps the one loaded), checking a scan's entries in
// the background once the scan is over, handing the dialog's thread what has
// been checked since it last asked, and a stop that ends the reads at once.
#pragma once

#include "CEntryChecker.h"
#include "dat/CDatIndex.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
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

    // Starts loading the DAT at `path`, in place of a load under way; the
    // loaded DAT and its check stay until TakeLoaded() puts the new one in.
    void BeginLoad(const std::string& path);
    bool IsLoading() const { return m_pending != nullptr; }
    // Once the load begun last has ended: "" when the DAT is now the loaded
    // one (a running check stopped), else why it could not be loaded (naming
    // the file, and the line where there is one), the loaded DAT kept.
    // nullopt while it runs, or when no load was begun.
    std::optional<std::string> TakeLoaded();
    // Runs on the loading thread before it reads (tests hold a load with it).
    void SetBeforeLoad(std::function<void()> beforeLoad) { m_beforeLoad = std::move(beforeLoad); }
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
    struct PendingLoad;

    std::unique_ptr<CDatIndex> m_index;
    std::shared_ptr<PendingLoad> m_pending; // shared with its loading thread
    std::function<void()> m_beforeLoad;
    std::string m_strPath;
    EntryCheckOptions m_options;
    std::unique_ptr<CEntryChecker> m_checker;
    std::vector<EntryCheck> m_checks; // by position, as taken so far
};
