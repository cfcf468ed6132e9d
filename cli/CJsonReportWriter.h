// The report as one UTF-8 JSON document: {"folder": ..., "entries": [...]},
// one compact object per entry on a line of its own. Written straight into
// the output buffer rather than through a JSON library's object model: a
// folder of 100,000 images gives as many objects, and building each as a
// library value cost five times as much as writing it.
#pragma once

#include "CFieldSkeleton.h"
#include "CReportWriter.h"

#include <string_view>

class CJsonReportWriter : public CReportWriter {
public:
    void Write(const std::vector<ReportedEntry>& entries, const std::string* folder,
               COutputBuffer& out) override;
    void PrepareEntry(const ReportedEntry& reported, std::string& record,
                      FormatScratch& scratch) const override;

    // One entry's object.
    static std::string EntryJson(const ReportedEntry& reported);
    // `text`, which must be valid UTF-8, as a JSON string: quotation mark,
    // backslash and control characters escaped, everything else as it stands.
    static void AppendString(std::string& out, std::string_view text);

    // The same without the quotation marks around it.
    static void AppendEscaped(std::string& out, std::string_view text);

private:
    void MakeSkeleton();
    void AppendEntry(std::string& out, const ReportedEntry& reported, FormatScratch& scratch) const;

    CFieldSkeleton m_skeleton;
};
