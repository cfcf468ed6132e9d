// Argument handling and the two commands of quillbey-cli.
#include "CQuillbeyCli.h"

#include "QuillbeyVersion.h"

#include "CConsole.h"
#include "CFolderWalk.h"
#include "CReportWriter.h"
#include "romio/CFileSystem.h"
#include "romio/CGbaRomLoader.h"
#include "scan/CReadROMs.h"
#include "scan/CRomEntry.h"
#include "scan/CRomEntryList.h"
#include "ui/RomDetails.h"
#include "ui/TextConversion.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace {

void PrintError(const std::string& text) {
    CConsole::Write(stderr, "quillbey-cli: " + text + "\n");
}

std::string Quoted(const std::string& path) {
    return "'" + PathToUtf8(path) + "'";
}

bool AnyFault(const std::vector<ReportedEntry>& entries) {
    return std::any_of(entries.begin(), entries.end(),
                       [](const ReportedEntry& r) { return HasHeaderFault(*r.entry); });
}

} // namespace

void CQuillbeyCli::WriteOutput(const std::vector<ReportedEntry>& entries,
                               const std::string* folder) const {
    const auto format = m_bJson  ? CReportWriter::Format::Json
                        : m_bCsv ? CReportWriter::Format::Csv
                                 : CReportWriter::Format::Table;
    COutputBuffer out(stdout);
    CReportWriter::Create(format, m_bRecursive)->Write(entries, folder, out);
}

int CQuillbeyCli::Run(int argc, char** argv) {
    CLI::App app{"Quillbey: lists Game Boy Advance ROM images and decodes their cartridge headers.",
                 "quillbey-cli"};
    app.set_version_flag("--version", kQuillbeyVersion);
    // "/json" is no option on Windows either: "/roms" must stay a folder.
    app.allow_windows_style_options(false);
    app.require_subcommand(1);

    const auto addOutputOptions = [this](CLI::App* command) {
        CLI::Option* json = command->add_flag("--json", m_bJson, "Write one JSON document");
        command->add_flag("--csv", m_bCsv, "Write CSV (RFC 4180) with a header row")
            ->excludes(json);
        command->add_flag(
            "--check", m_bCheck,
            "Exit with 3 when an image has no valid header or a logo or complement error");
    };

    std::string folder;
    CLI::App* scan = app.add_subcommand("scan", "List the images of a folder, sorted by name");
    addOutputOptions(scan);
    scan->add_flag("-r,--recursive", m_bRecursive,
                   "Walk the subfolders too (links to folders are not followed)");
    scan->add_option("--jobs", m_nJobs, "Images read at once (default: decided by the scan)")
        ->check(CLI::Range(1, 256));
    scan->add_option("FOLDER", folder, "Folder to scan")->required();

    std::vector<std::string> files;
    CLI::App* info = app.add_subcommand("info", "Decode the headers of single files");
    addOutputOptions(info);
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
    // As the dialog does: rows, entries and count start empty.
    g_romEntries.RemoveAll();
    ScanOptions options;
    options.nJobs = m_nJobs;
    CFolderWalk walk(options, m_bRecursive, CConsole::ShowsProgress(stderr));
    const bool read = walk.Walk(folder, [](const std::string& unreadable, int code) {
        PrintError("cannot read folder " + Quoted(unreadable) + ": " +
                   CFileSystem::ErrorText(code));
    });
    if (!read) {
        return kExitError;
    }
    WriteOutput(walk.GetEntries(), &folder);
    if (walk.GetSkippedFolders() > 0) {
        return kExitError;
    }
    return m_bCheck && AnyFault(walk.GetEntries()) ? kExitFaults : kExitOk;
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
        const std::size_t position = loaded.Append(CReadROMs::MakeEntry(loader, header, files[i]));
        entries.push_back({loaded.GetAt(position), static_cast<std::int64_t>(i), nullptr});
    }
    WriteOutput(entries, nullptr);
    if (exitCode == kExitOk && m_bCheck && AnyFault(entries)) {
        exitCode = kExitFaults;
    }
    return exitCode;
}
