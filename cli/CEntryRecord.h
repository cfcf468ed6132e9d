// One entry's report values, formatted on the scan's threads and packed into
// bytes, then read back in the same order when the report is written. A value
// that is one of the entry's own texts unchanged (a name that needs neither
// conversion nor escaping) or a frequent constant takes one byte, one that many
// entries share (see CValueDictionary) two, any other value its length and its
// bytes. No key is kept per entry, and no second copy
// of the names: a record of 100,000 entries stays small beside the entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CValueDictionary;
struct ReportedEntry;

class CEntryRecord {
public:
    // The entry's texts a value may stand for.
    enum class Source : std::uint8_t {
        None,
        DisplayName,
        Path,
        FileName,
        InnerName,
        Folder,
        Index, // always taken from the entry: it is not known before the entry is added
    };

    // The source a field of this key is formatted from.
    static Source SourceOfKey(std::string_view key);

    // Appends `value` to `record`; `source` names the text of `reported` the
    // value was formatted from, if any. `shared` is the report's dictionary.
    static void Append(std::string& record, std::string_view value, Source source,
                       const ReportedEntry& reported, CValueDictionary& shared);

    // Appends a count (a cell's width) to `record`.
    static void AppendCount(std::string& record, std::size_t count);

    // Reads the values of one record in their order.
    class Reader {
    public:
        Reader(const char* record, const ReportedEntry& reported, const CValueDictionary& shared)
            : m_pNext(record), m_reported(reported), m_shared(shared) {}
        // The next value; valid until the next call.
        std::string_view Next();
        // The next count.
        std::size_t NextCount();

    private:
        const char* m_pNext;
        const ReportedEntry& m_reported;
        const CValueDictionary& m_shared;
        std::string m_text; // the path or the index, made when a value stands for it
    };
};
