// The three forms of the verify report.
#include "CVerifyReportWriter.h"

#include "CCsvReportWriter.h"
#include "CJsonReportWriter.h"
#include "TableText.h"
#include "scan/CRomEntry.h"
#include "ui/CEntryChecker.h"
#include "ui/DatResultText.h"
#include "ui/TextConversion.h"

#include <algorithm>
#include <array>

namespace {

// One image or missing game of the list, as every form shows it.
struct ListedItem {
    std::string_view status;
    std::string path; // "" for a missing game
    std::string game;
    std::string rom;
    std::string dat;    // the name of the DAT that lists the game
    std::string result; // as the DAT column of a scan shows it
};

ListedItem ImageItem(const ReportedEntry& reported) {
    const DatMatch& match = reported.check->match;
    std::string scratch;
    return {DatMatchStatusWord(match.status),
            std::string(PathAsUtf8(reported.entry->GetPath(), scratch)),
            DatGameName(match),
            DatRomName(match),
            match.rom != nullptr ? match.rom->source->name : std::string(),
            DatResultText(match)};
}

ListedItem MissingItem(const MissingGame& game) {
    return {"missing", "", game.gameName, "", game.dat->name, "missing: " + game.gameName};
}

template <typename Visit>
void ForEachItem(const VerifySummary& summary, bool listMissing, Visit visit) {
    for (const ReportedEntry* reported : summary.notGood) {
        visit(ImageItem(*reported));
    }
    if (listMissing) {
        for (const MissingGame& game : summary.missing) {
            visit(MissingItem(game));
        }
    }
}

std::string Counted(std::size_t count, const char* what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

std::string DatLine(const CDatFile& dat) {
    std::string text = dat.Source().name;
    if (!dat.Source().version.empty()) {
        text += " (" + dat.Source().version + ")";
    }
    return text + ", " + Counted(dat.GameCount(), "game");
}

} // namespace

void CVerifyReportWriter::Write(const CDatIndex& index, const VerifySummary& summary,
                                const std::string& folder, COutputBuffer& out) const {
    switch (m_format) {
    case CReportWriter::Format::Table:
        WriteTable(index, summary, out);
        break;
    case CReportWriter::Format::Json:
        WriteJson(index, summary, folder, out);
        break;
    case CReportWriter::Format::Csv:
        WriteCsv(summary, out);
        break;
    }
}

void CVerifyReportWriter::WriteTable(const CDatIndex& index, const VerifySummary& summary,
                                     COutputBuffer& out) const {
    std::string& text = out.Text();
    const auto line = [&text](std::string_view label, std::string value) {
        MakePrintable(value);
        text.append(label).append(11 - label.size(), ' ').append(value) += '\n';
    };
    for (std::size_t i = 0; i < index.DatCount(); ++i) {
        line("DAT", DatLine(index.DatAt(i)));
    }
    line("good", Counted(summary.goodGames, "game") + ", " + Counted(summary.goodImages, "image"));
    line("baddump", Counted(summary.badDumps, "image"));
    line("unknown", Counted(summary.unknownImages, "image"));
    if (summary.uncheckedImages > 0) {
        line("unchecked", Counted(summary.uncheckedImages, "image"));
    }
    line("missing", Counted(summary.missing.size(), "game"));

    if (summary.notGood.empty() && (!m_bListMissing || summary.missing.empty())) {
        return;
    }
    // The list: its path column as wide as its widest path.
    std::size_t width = std::string_view("PATH").size();
    ForEachItem(summary, m_bListMissing, [&width](ListedItem item) {
        MakePrintable(item.path);
        width = std::max(width, DisplayWidth(item.path));
    });
    const auto row = [&text, width](std::string path, std::string result) {
        MakePrintable(path);
        MakePrintable(result);
        text.append(path).append(width - DisplayWidth(path) + 2, ' ').append(result) += '\n';
    };
    text += '\n';
    row("PATH", "DAT");
    ForEachItem(summary, m_bListMissing, [&](ListedItem item) {
        row(item.path.empty() ? "-" : std::move(item.path), std::move(item.result));
        out.Written();
    });
}

void CVerifyReportWriter::WriteJson(const CDatIndex& index, const VerifySummary& summary,
                                    const std::string& folder, COutputBuffer& out) const {
    std::string scratch;
    std::string& text = out.Text();
    const auto member = [&text](std::string_view key, std::string_view value, bool first) {
        text += first ? "\"" : ",\"";
        text.append(key) += "\":";
        CJsonReportWriter::AppendString(text, value);
    };
    text += "{\"folder\": ";
    CJsonReportWriter::AppendString(text, PathAsUtf8(folder, scratch));
    text += ", \"dats\": [";
    for (std::size_t i = 0; i < index.DatCount(); ++i) {
        const CDatFile& dat = index.DatAt(i);
        text += i == 0 ? "\n  {" : ",\n  {";
        member("path", PathAsUtf8(dat.Source().path, scratch), true);
        member("name", dat.Source().name, false);
        member("version", dat.Source().version, false);
        text += ",\"games\":" + std::to_string(dat.GameCount()) + "}";
    }
    const std::array<std::pair<const char*, std::size_t>, 6> counts = {{
        {"good_games", summary.goodGames},
        {"good_images", summary.goodImages},
        {"baddump", summary.badDumps},
        {"unknown", summary.unknownImages},
        {"unchecked", summary.uncheckedImages},
        {"missing", summary.missing.size()},
    }};
    text += "\n], \"counts\": {";
    for (std::size_t i = 0; i < counts.size(); ++i) {
        text += (i == 0 ? "\"" : ",\"") + std::string(counts[i].first) +
                "\":" + std::to_string(counts[i].second);
    }
    text += "}, \"not_good\": [";
    bool first = true;
    const auto item = [&](const ListedItem& listed, bool image) {
        text += first ? "\n  {" : ",\n  {";
        first = false;
        member("status", listed.status, true);
        if (image) {
            member("path", listed.path, false);
        }
        member("game", listed.game, false);
        if (image) {
            member("rom", listed.rom, false);
        }
        member("dat", listed.dat, false);
        if (image) {
            member("result", listed.result, false);
        }
        text += '}';
        out.Written();
    };
    for (const ReportedEntry* reported : summary.notGood) {
        item(ImageItem(*reported), true);
    }
    text += first ? "]" : "\n]";
    if (m_bListMissing) {
        text += ", \"missing\": [";
        first = true;
        for (const MissingGame& game : summary.missing) {
            item(MissingItem(game), false);
        }
        text += first ? "]" : "\n]";
    }
    text += "}\n";
}

void CVerifyReportWriter::WriteCsv(const VerifySummary& summary, COutputBuffer& out) const {
    std::string& text = out.Text();
    text += "status,path,game,rom,dat,result\r\n";
    ForEachItem(summary, m_bListMissing, [&](const ListedItem& item) {
        for (const std::string_view field :
             {item.status, std::string_view(item.path), std::string_view(item.game),
              std::string_view(item.rom), std::string_view(item.dat)}) {
            CCsvReportWriter::AppendField(text, field);
            text += ',';
        }
        CCsvReportWriter::AppendField(text, item.result);
        text += "\r\n";
        out.Written();
    });
}
