// How the command line writes entries: one JSON object per entry, or a
// readable table. Both take their texts from the same core functions as the
// dialog's details panel.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class CRomEntry;

struct ReportedEntry {
    const CRomEntry* entry = nullptr;
    std::int64_t index = 0; // the row's item data, or the argument's position
};

// One entry as a compact JSON object (UTF-8).
std::string EntryJson(const ReportedEntry& reported);

// {"folder": ..., "entries": [...]} or, without a folder, {"entries": [...]}.
std::string EntriesJsonDocument(const std::vector<ReportedEntry>& entries,
                                const std::string* folder);

// Header line and one line per entry: name, serial, maker, version, size, flags.
std::string EntriesTable(const std::vector<ReportedEntry>& entries);

// The same two, written to `stream` block by block instead of returned whole.
void WriteEntriesJsonDocument(const std::vector<ReportedEntry>& entries, const std::string* folder,
                              std::FILE* stream);
void WriteEntriesTable(const std::vector<ReportedEntry>& entries, std::FILE* stream);

// True when the entry fails the fixed-value test or carries a flag.
bool EntryHasFault(const CRomEntry& entry);
