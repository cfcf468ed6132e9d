// Argument handling and the two commands of quillbey-cli.
#include "CQuillbeyCli.h"

#include "QuillbeyVersion.h"

#include "CCliScanTarget.h"
#include "CConsole.h"
#include "CReportWriter.h"
#include "app/core/ChosenFolder.h"
#include "app/core/RomDetails.h"
#include "app/core/RomSort.h"
#include "app/core/TextConversion.h"
#include "romio/CFileSystem.h"
#include "romio/CGbaRomLoader.h"
#include "scan/CReadROMs.h"
#include "scan/CRomEntry.h"
#include "scan/CRomEntryList.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace {

void PrintError(const std::string& text) {
    CConsole::Write(stderr, "quillbey-cli: " + text + "\n");
}

std::string Quoted(const std::string& path) {
    return "'" + PathToUtf8(path) + "'";
}

void WriteOutput(const std::vector<ReportedEntry>& entries, bool json, const std::string* folder) {
    COutputBuffer out(stdout);
    CReportWriter::Create(json ? CReportWriter::Format::Json : CReportWriter::Format::Table)
        ->Write(entries, folder, out);
}

bool AnyFault(const std::vector<ReportedEntry>& entries) {
    return std::any_of(entries.begin(), entries.end(),
                       [](const ReportedEntry& r) { return HasHeaderFault(*r.entry); });
}

} // namespace

int CQuillbeyCli::Run(int argc, char** argv) {
    CLI::App app{"Quillbey: lists Game Boy Advance ROM images and decodes their cartridge headers.",
                 "quillbey-cli"};
    app.set_version_flag("--version", kQuillbeyVersion);
    // "/json" is no option on Windows either: "/roms" must stay a folder.
    app.allow_windows_style_options(false);
    app.require_subcommand(1);

    std::string folder;
    CLI::App* scan = app.add_subcommand("scan", "List the images of a folder, sorted by name");
    scan->add_flag("--json", m_bJson, "Write one JSON document");
    scan->add_flag("--check", m_bCheck,
                   "Exit with 3 when an image has no valid header or a logo or complement error");
    scan->add_option("FOLDER", folder, "Folder to scan (its subfolders are not entered)")
        ->required();

    std::vector<std::string> files;
    CLI::App* info = app.add_subcommand("info", "Decode the headers of single files");
    info->add_flag("--json", m_bJson, "Write one JSON document");
    info->add_flag("--check", m_bCheck,
                   "Exit with 3 when an image has no valid header or a logo or complement error");
    info->add_option("FILE", files, "ROM images or ZIP archives")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        CConsole::Write(stdout, app.help());
        return kExitOk;
    } catch (const CLI::CallForVersion&) {
        CConsole::Write(stdout, std::string(kQuillbeyVersion) + "\n");
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        CConsole::Write(stderr, "quillbey-cli: " + std::string(e.what()) + "\n\n" + app.help());
        return kExitUsage;
    }
    if (scan->parsed()) {
        return RunScan(folder);
    }
    return RunInfo(files);
}

int CQuillbeyCli::RunScan(const std::string& folder) {
    // "" would otherwise be read as the root, which only "/" stands for.
    if (folder.empty()) {
        PrintError("cannot read folder " + Quoted(folder) + ": " +
                   CFileSystem::ErrorText(CFileSystem::kNotFoundError));
        return kExitError;
    }
    // As the dialog does: empty rows, entries and count, drop one trailing separator.
    g_romEntries.RemoveAll();
    const std::string scanned = SplitChosenFolder(folder).scan;
    CCliScanTarget target(CConsole::ShowsProgress(stderr) ? "Scanning " + PathToUtf8(folder) : "");
    CReadROMs worker(target, scanned);
    worker.CreateThread();
    target.WaitForDone();
    worker.Join();
    if (worker.GetListError() != 0) {
        PrintError("cannot read folder " + Quoted(folder) + ": " +
                   CFileSystem::ErrorText(worker.GetListError()));
        return kExitError;
    }

    auto& rows = target.GetRows();
    SortRomRows(
        rows, [](const CCliScanTarget::Row& row) { return row.itemData; }, g_romEntries);
    std::vector<ReportedEntry> entries;
    entries.reserve(rows.size());
    for (const auto& row : rows) {
        if (const CRomEntry* entry = g_romEntries.GetAt(static_cast<std::size_t>(row.itemData))) {
            entries.push_back({entry, row.itemData});
        }
    }
    WriteOutput(entries, m_bJson, &folder);
    return m_bCheck && AnyFault(entries) ? kExitFaults : kExitOk;
}

int CQuillbeyCli::RunInfo(const std::vector<std::string>& files) {
    CGbaRomLoader loader;
    CartridgeHeader header{};
    CRomEntryList loaded;
    std::vector<ReportedEntry> entries;
    int exitCode = kExitOk;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (loader.Load(files[i], 0, static_cast<std::uint32_t>(header.size()), header) == -1) {
            PrintError("cannot read " + Quoted(files[i]) + ": " + loader.DescribeLastFailure());
            exitCode = kExitError;
            continue;
        }
        const std::size_t position =
            loaded.Append(CReadROMs::MakeEntry(loader, header, files[i], loader.GetFileName()));
        entries.push_back({loaded.GetAt(position), static_cast<std::int64_t>(i)});
    }
    WriteOutput(entries, m_bJson, nullptr);
    if (exitCode == kExitOk && m_bCheck && AnyFault(entries)) {
        exitCode = kExitFaults;
    }
    return exitCode;
}
