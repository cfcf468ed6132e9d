// The fields the command line reports of one entry, in their order: the JSON
// document and the CSV rows both walk them here, so the two formats cannot
// disagree on a name or a value. `visit` gets each field's key and value (a
// UTF-8 text, a number or a flag); the nine detail texts, from the panel's
// field description, come between BeginDetails() and EndDetails(). Asked
// for, the whole image's hashes follow, then the DAT result between
// BeginDat() and EndDat().
#pragma once

#include "CReportWriter.h"
#include "scan/CRomEntry.h"
#include "ui/CEntryChecker.h"
#include "ui/DatResultText.h"
#include "ui/RomDetailFields.h"
#include "ui/RomDetails.h"
#include "ui/TextConversion.h"

#include <cstdint>
#include <string>
#include <string_view>

// The whole image's figures, as lower-case hex; "" for an image that could
// not be hashed (its error was reported when it failed).
template <typename Visitor> void VisitHashFields(const EntryCheck* check, Visitor& visit) {
    const ImageHashes* hashes =
        check != nullptr && check->hashes.has_value() ? &*check->hashes : nullptr;
    visit.Text("crc32_full", hashes != nullptr ? HexCrc32(hashes->crc32) : std::string());
    visit.Text("md5", hashes != nullptr && hashes->md5 ? HexDigits(*hashes->md5) : std::string());
    visit.Text("sha1",
               hashes != nullptr && hashes->sha1 ? HexDigits(*hashes->sha1) : std::string());
    visit.Text("backup_type", hashes != nullptr ? hashes->backupType : std::string());
}

template <typename Visitor> void VisitDatFields(const EntryCheck* check, Visitor& visit) {
    const DatMatch unchecked;
    const DatMatch& match = check != nullptr ? check->match : unchecked;
    visit.BeginDat();
    visit.Text("status", DatMatchStatusWord(match.status));
    visit.Text("game", DatGameName(match));
    visit.Text("rom", DatRomName(match));
    visit.Flag("name_matches", match.nameMatches);
    // The words the table and the dialogs show: an unknown image names the
    // games its serial belongs to.
    visit.Text("result", DatResultText(match));
    visit.EndDat();
}

// `scratch` holds texts converted on the way out, reused from field to field:
// a visitor uses each text before it returns.
template <typename Visitor>
void VisitEntryFields(const ReportedEntry& reported, const ReportColumns& columns,
                      std::string& scratch, Visitor& visit) {
    const CRomEntry& entry = *reported.entry;
    const RomDetails details = ComputeRomDetails(entry);
    visit.Number("index", reported.index);
    if (columns.bFolders) {
        visit.Text("folder", PathAsUtf8(reported.Folder(), scratch));
    }
    visit.Text("display_name", FileNameAsUtf8(entry.GetDisplayName(), scratch));
    const std::string path = entry.GetPath();
    visit.Text("path", PathAsUtf8(path, scratch));
    visit.Text("file_name", FileNameAsUtf8(entry.m_strFileName, scratch));
    visit.Text("inner_name", FileNameAsUtf8(entry.m_strInnerName, scratch));
    visit.Number("size", entry.m_dwSize);
    visit.Number("crc32", entry.m_dwCrc32);
    visit.Number("flags", entry.m_dwFlags);
    visit.Flag("header_valid", IsHeaderValid(entry));
    // Mirrors the panel's tick, which an invalid header never shows; the raw
    // finding stays in "flags".
    visit.Flag("logo_error", details.m_bLogoError);
    visit.Flag("complement_error", (entry.m_dwFlags & ROMF_COMPLEMENT_ERROR) != 0);
    visit.Flag("highlight_complement", details.m_bHighlightComplement);
    visit.BeginDetails();
    for (const RomDetailField& field : kRomDetailFields) {
        visit.Text(field.key, Cp1252AsUtf8(field.TextOf(details), scratch));
    }
    visit.EndDetails();
    if (columns.bHashes) {
        VisitHashFields(reported.check, visit);
    }
    if (columns.bDat) {
        VisitDatFields(reported.check, visit);
    }
}
