// Reports whose entries were formatted on the scan's threads as they were
// loaded: with 1, 2 and 32 loads in flight, and the first loads held until
// the last has started (so that entries are formatted in another order than
// they are committed, and committed in another than the names'), the report
// lists the entries sorted by name and is byte for byte the one formatted
// after the scan, in every format. Names that need escaping, quoting or
// conversion, and one longer than a short record value, are among them.
#include "cli/CFolderWalk.h"
#include "cli/CReportWriter.h"
#include "romio/CFileSystem.h"
#include "scan/CRomEntry.h"
#include "scan/CRomEntryList.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

using namespace testing_support;

namespace {

// Holds every load of a name starting with "a" until a load of a name
// starting with "z" has begun (bounded, against a scan that never gets there).
class HoldFirstUntilLast {
public:
    void BeforeLoad(const std::string& path) {
        const std::string name = path.substr(path.find_last_of("/\\") + 1);
        std::unique_lock lock(m_mutex);
        if (name.starts_with("z")) {
            m_bLastStarted = true;
            m_changed.notify_all();
        } else if (name.starts_with("a")) {
            m_changed.wait_for(lock, std::chrono::seconds(10), [this] { return m_bLastStarted; });
        }
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bLastStarted = false;
};

std::vector<std::uint8_t> Image(const std::string& title) {
    return BuildImage(BuildHeader({.title = title}), 1024);
}

// Escaped or quoted, longer than a record's short values.
std::string LongName() {
    return "m \"" + std::string(240, 'l') + ".gba";
}

void MakeFolder(const TempDir& dir) {
    // In scan order: the archives' entries and the plain files of each
    // extension come in runs that the sort by name interleaves. The names
    // no file system takes are those of archive entries.
    dir.WriteFile("a first.gba", Image("TRUE"));
    dir.WriteFile("a comma, name.bin", Image("A\"B\\C\x01\x7F"));
    dir.WriteFile("m \xC3\xBCtf8 \xC3\xA9.agb", Image("N/A"));
    WriteZip(dir / "b archive.zip", {{"y inner \xE9\xFF.gba", Image("\xE9T\xE9")}});
    WriteZip(dir / "c archive.zip", {{"b inner\r\n\"q\x01\x7F.gba", Image("")}});
    WriteZip(dir / "d archive.zip", {{LongName(), Image("LONG")}});
    dir.WriteFile("z last.bin", Image("LAST"));
    dir.MakeSubdir("sub, x \xC3\xA9");
    dir.WriteFile(std::string("sub, x \xC3\xA9") + CFileSystem::kSeparator + "m below.gba",
                  Image("BELOW"));
}

std::vector<ReportedEntry> Unprepared(std::vector<ReportedEntry> entries) {
    for (ReportedEntry& reported : entries) {
        reported.ready = nullptr;
    }
    return entries;
}

} // namespace

TEST(ReportPrepared, FormattedWhileScanningIsWhatIsFormattedAfterInNameOrder) {
    const TempDir dir;
    MakeFolder(dir);
    const std::string folder = dir.Path();
    for (const auto format :
         {CReportWriter::Format::Table, CReportWriter::Format::Json, CReportWriter::Format::Csv}) {
        for (const int jobs : {1, 2, 32}) {
            SCOPED_TRACE("format " + std::to_string(static_cast<int>(format)) + ", jobs " +
                         std::to_string(jobs));
            HoldFirstUntilLast hold;
            ScanOptions options;
            options.nJobs = jobs;
            if (jobs > 1) { // one load at a time would wait for itself
                options.beforeLoad = [&hold](const std::string& path) { hold.BeforeLoad(path); };
            }
            const auto writer = CReportWriter::Create(format, {.bFolders = true});
            g_romEntries.RemoveAll();
            CFolderWalk walk(options, true, false, writer.get());
            ASSERT_TRUE(walk.Walk(folder, [](const std::string&, int) {}));
            const std::vector<ReportedEntry>& entries = walk.GetEntries();
            ASSERT_EQ(entries.size(), 8u);

            std::vector<std::string> names;
            for (const ReportedEntry& reported : entries) {
                EXPECT_NE(reported.ready, nullptr);
                names.push_back(reported.entry->GetDisplayName());
            }
            EXPECT_EQ(names, (std::vector<std::string>{
                                 "a comma, name.bin", "a first.gba", "b inner\r\n\"q\x01\x7F.gba",
                                 LongName(), "m \xC3\xBCtf8 \xC3\xA9.agb", "y inner \xE9\xFF.gba",
                                 "z last.bin", "m below.gba"}));
            EXPECT_EQ(writer->ToText(entries, &folder),
                      writer->ToText(Unprepared(entries), &folder));
        }
    }
}
