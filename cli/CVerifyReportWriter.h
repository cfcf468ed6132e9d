// The report of `verify`, as a table, JSON or CSV. All three list the same:
// the images that are not good dumps (bad dumps, unknown images, images that
// could not be read), each with its path and DAT result, then, asked for, the
// games missing. The table and JSON add the DATs loaded and the counts.
//
// Table:
//   DAT        Nintendo - Game Boy Advance (20210506), 3000 games
//   good       2 games, 2 images
//   baddump    1 image
//   unknown    1 image
//   missing    2997 games
//
//   PATH          DAT
//   roms/bad.gba  baddump: Some Game (Europe)
//   roms/odd.gba  unknown image of Some Game (USA)
//   -             missing: Other Game (Japan)
#pragma once

#include "CReportWriter.h"
#include "VerifySummary.h"

class CVerifyReportWriter {
public:
    CVerifyReportWriter(CReportWriter::Format format, bool listMissing)
        : m_format(format), m_bListMissing(listMissing) {}

    void Write(const CDatIndex& index, const VerifySummary& summary, const std::string& folder,
               COutputBuffer& out) const;

private:
    void WriteTable(const CDatIndex& index, const VerifySummary& summary, COutputBuffer& out) const;
    void WriteJson(const CDatIndex& index, const VerifySummary& summary, const std::string& folder,
                   COutputBuffer& out) const;
    void WriteCsv(const VerifySummary& summary, COutputBuffer& out) const;

    CReportWriter::Format m_format;
    bool m_bListMissing;
};
