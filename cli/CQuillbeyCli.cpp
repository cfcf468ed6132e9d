// Argument handling and the three commands of quillbey-cli.
#include "CQuillbeyCli.h"

#include "QuillbeyVersion.h"

#include "CConsole.h"
#include "CFolderWalk.h"
#include "CReportWriter.h"
#include "CVerifyReportWriter.h"
#include "CheckEntries.h"
#include "VerifySummary.h"
#include "dat/CDatFile.h"
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

CReportWriter::Format CQuillbeyCli::OutputFormat() const {
    return m_bJson  ? CReportWriter::Format::Json
           : m_bCsv ? CReportWriter::Format::Csv
                    : CReportWriter::Format::Table;
}

ReportColumns CQuillbeyCli::Columns() const {
    return {.bFolders = m_bRecursive, .bDat = !m_datPaths.empty(), .bHashes = m_bHash};
}

void CQuillbeyCli::WriteOutput(CReportWriter& writer, const std::vector<ReportedEntry>& entries,
                               const std::string* folder) {
    COutputBuffer out(stdout);
    writer.Write(entries, folder, out);
}

int CQuillbeyCli::Run(int argc, char** argv) {
    CLI::App app{"Quillbey: lists Game Boy Advance ROM images, decodes their cartridge headers "
                 "and checks them against DAT files.",
                 "quillbey-cli"};
    app.set_version_flag("--version", kQuillbeyVersion);
    // "/json" is no option on Windows either: "/roms" must stay a folder.
    app.allow_windows_style_options(false);
    app.require_subcommand(1);

    const auto addFormatOptions = [this](CLI::App* command) {
        CLI::Option* json = command->add_flag("--json", m_bJson, "Write one JSON document");
        command->add_flag("--csv", m_bCsv, "Write CSV (RFC 4180) with a header row")
            ->excludes(json);
    };
    // Each --dat takes one file; the arguments after it stay images or folders.
    const auto addDatOption = [this](CLI::App* command, const char* text) {
        return command->add_option("--dat", m_datPaths, text)->allow_extra_args(false);
    };
    const auto addOutputOptions = [this, &addFormatOptions, &addDatOption](CLI::App* command) {
        addFormatOptions(command);
        addDatOption(command, "Check each image against this DAT file (Logiqx XML or "
                              "clrmamepro text, plain or zipped); may be repeated");
        command->add_flag("--hash", m_bHash,
                          "Read each image whole for its CRC-32, MD5, SHA-1 and save type");
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

    CLI::App* verify = app.add_subcommand(
        "verify", "Check a folder's images against DAT files: good and bad dumps, unknown "
                  "images, games missing");
    addFormatOptions(verify);
    addDatOption(verify, "The DAT file (Logiqx XML or clrmamepro text, plain or zipped); "
                         "may be repeated")
        ->required();
    verify->add_flag("--hash", m_bHash,
                     "Read zipped images whole too, and compare their SHA-1 and MD5 as well");
    verify->add_flag("--missing", m_bMissing, "List the DAT's games that no image supplies");
    verify->add_flag("-r,--recursive", m_bRecursive,
                     "Walk the subfolders too (links to folders are not followed)");
    verify->add_option("--jobs", m_nJobs, "Images read at once (default: decided by the scan)")
        ->check(CLI::Range(1, 256));
    verify->add_option("FOLDER", folder, "Folder to verify")->required();

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
    if (!LoadDats()) {
        return kExitUsage;
    }
    if (scan->parsed()) {
        return RunScan(folder);
    }
    if (verify->parsed()) {
        return RunVerify(folder);
    }
    return RunInfo(files);
}

bool CQuillbeyCli::LoadDats() {
    for (const std::string& path : m_datPaths) {
        DatLoadResult loaded = CDatFile::Load(path);
        if (!loaded.dat) {
            PrintError(loaded.error.Text());
            return false;
        }
        for (const std::string& warning : loaded.warnings) {
            PrintError(warning);
        }
        m_dats.Add(std::move(*loaded.dat));
    }
    return true;
}

bool CQuillbeyCli::CheckImages(std::vector<ReportedEntry>& entries,
                               std::vector<EntryCheck>& checks) const {
    const EntryCheckOptions options{.bHash = m_bHash, .nThreads = m_nJobs};
    checks = CheckEntries(m_datPaths.empty() ? nullptr : &m_dats, entries, options,
                          CConsole::ShowsProgress(stderr));
    bool allRead = true;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].check = &checks[i];
        if (!checks[i].failureText.empty()) {
            PrintError("cannot read " + Quoted(entries[i].entry->GetPath()) + ": " +
                       checks[i].failureText);
            allRead = false;
        }
    }
    return allRead;
}

bool CQuillbeyCli::WalkFolder(CFolderWalk& walk, const std::string& folder) const {
    // "" would otherwise be read as the root, which only "/" stands for.
    if (folder.empty()) {
        PrintError("cannot read folder " + Quoted(folder) + ": " +
                   CFileSystem::ErrorText(CFileSystem::kNotFoundError));
        return false;
    }
    // As the dialog does: rows, entries and count start empty.
    g_romEntries.RemoveAll();
    return walk.Walk(folder, [](const std::string& unreadable, int code) {
        PrintError("cannot read folder " + Quoted(unreadable) + ": " +
                   CFileSystem::ErrorText(code));
    });
}

int CQuillbeyCli::RunScan(const std::string& folder) {
    ScanOptions options;
    options.nJobs = m_nJobs;
    // The entries are formatted as the scan finds them.
    const auto writer = CReportWriter::Create(OutputFormat(), Columns());
    CFolderWalk walk(options, m_bRecursive, CConsole::ShowsProgress(stderr), writer.get());
    if (!WalkFolder(walk, folder)) {
        return kExitError;
    }
    bool allRead = walk.GetSkippedFolders() == 0;
    std::vector<EntryCheck> checks;
    if (ChecksImages()) {
        allRead = CheckImages(walk.GetEntries(), checks) && allRead;
    }
    WriteOutput(*writer, walk.GetEntries(), &folder);
    if (!allRead) {
        return kExitError;
    }
    return m_bCheck && AnyFault(walk.GetEntries()) ? kExitFaults : kExitOk;
}

int CQuillbeyCli::RunVerify(const std::string& folder) {
    ScanOptions options;
    options.nJobs = m_nJobs;
    CFolderWalk walk(options, m_bRecursive, CConsole::ShowsProgress(stderr));
    if (!WalkFolder(walk, folder)) {
        return kExitError;
    }
    std::vector<EntryCheck> checks;
    const bool allRead = CheckImages(walk.GetEntries(), checks) && walk.GetSkippedFolders() == 0;
    const VerifySummary summary = SummarizeVerify(m_dats, walk.GetEntries());
    COutputBuffer out(stdout);
    CVerifyReportWriter(OutputFormat(), m_bMissing).Write(m_dats, summary, folder, out);
    if (!allRead) {
        return kExitError;
    }
    return summary.notGood.empty() ? kExitOk : kExitFaults;
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
    std::vector<EntryCheck> checks;
    if (ChecksImages() && !CheckImages(entries, checks)) {
        exitCode = kExitError;
    }
    WriteOutput(*CReportWriter::Create(OutputFormat(), Columns()), entries, nullptr);
    if (exitCode == kExitOk && m_bCheck && AnyFault(entries)) {
        exitCode = kExitFaults;
    }
    return exitCode;
}
