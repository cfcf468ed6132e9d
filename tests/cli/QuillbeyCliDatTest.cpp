// quillbey-cli against DAT files: the exit codes of scan, info and verify
// with --dat and --hash, what goes to stderr, and the hashing's progress text.
// The outputs themselves are golden files (CliGoldenTest).
#include "CProcessRunner.h"
#include "DatCollection.h"
#include "cli/HashProgressText.h"

#include <gmock/gmock.h>

using namespace testing_support;
using ::testing::HasSubstr;

namespace {

struct ExitCase {
    std::vector<std::string> args;
    int exitCode;
    const char* err; // in stderr; "" for an empty stderr
    bool emptyOut;
};

const ExitCase kExitCases[] = {
    // scan and info keep their exit codes whatever the DAT says.
    {{"scan", "--dat", "games.dat", "roms"}, 0, "", false},
    {{"scan", "--dat", "games.dat", "--check", "--json", "roms"}, 0, "", false},
    {{"info", "--dat", "games.dat", "--dat", "games.dat", "roms/bad.gba", "roms/odd.gba"},
     0,
     "",
     false},
    {{"verify", "--dat", "games.dat", "roms"}, 3, "", false},
    {{"verify", "--dat", "games.dat", "roms/good"}, 0, "", false},
    {{"verify", "--dat", "games.dat", "--hash", "roms/good"}, 0, "", false},
    // An image that cannot be read whole is an error, listed all the same.
    {{"scan", "--hash", "roms/damaged"}, 1, "roms", false},
    {{"verify", "--dat", "games.dat", "--hash", "--json", "roms/damaged"}, 1, "roms", false},
    {{"verify", "--dat", "games.dat", "no-such-folder"}, 1, "no-such-folder", true},
    // A DAT that cannot be read stops everything before a scan.
    {{"scan", "--dat", "broken.dat", "roms"}, 2, "broken.dat: line 3", true},
    {{"verify", "--json", "--dat", "games.dat", "--dat", "absent.dat", "roms"},
     2,
     "absent.dat",
     true},
    {{"info", "--dat", "broken.dat", "roms/bad.gba"}, 2, "broken.dat", true},
    {{"verify", "roms"}, 2, "--dat", true},
    {{"verify", "--dat", "games.dat", "--json", "--csv", "roms"}, 2, "Usage:", true},
    // A DAT's duplicates are warned of; the first entry counts.
    {{"scan", "--dat", "twice.dat", "roms/good"}, 0, "twice.dat", false},
};

} // namespace

TEST(CliDat, ExitCodesAndMessages) {
    const DatCollection collection;
    const TempDir& dir = collection.Dir();
    // Only good images: the zipped one and a copy of the plain one.
    dir.MakeSubdir("roms/good");
    dir.WriteFile("roms/good/plain.gba", ReadWholeFile(dir / "roms/plain.gba"));
    dir.WriteFile("roms/good/zipped.zip", ReadWholeFile(dir / "roms/zipped.zip"));
    // An archive whose entry breaks its directory's CRC-32, found only when read whole.
    dir.MakeSubdir("roms/damaged");
    const std::vector<std::uint8_t> image = BuildImage(BuildHeader(), 2048);
    WriteZip(dir / "roms/damaged/damaged.zip", {{"damaged.gba", image, true, true, 0x1234}});
    dir.WriteText("broken.dat", "<datafile>\n<game name=\"A\">\n<rom name=\"a\" size=\"-1\"/>\n"
                                "</game></datafile>\n");
    const std::string game =
        "<game name=\"X\"><rom name=\"x\" size=\"1\" crc=\"00000000\"/></game>";
    dir.WriteText("twice.dat", "<datafile>" + game + game + "</datafile>");

    TempDir scratch;
    CProcessRunner runner(QB_CLI_PATH, scratch.Path());
    runner.SetWorkingDir(dir.Path());
    for (const ExitCase& test : kExitCases) {
        std::string shown;
        for (const std::string& arg : test.args) {
            shown += " " + arg;
        }
        SCOPED_TRACE("quillbey-cli" + shown);
        const CProcessRunner::Result result = runner.Run(test.args);
        EXPECT_EQ(result.exitCode, test.exitCode) << result.err;
        if (*test.err == '\0') {
            EXPECT_EQ(result.err, ""); // no progress when stderr is no terminal
        } else {
            EXPECT_THAT(result.err, HasSubstr(test.err));
        }
        EXPECT_EQ(result.out.empty(), test.emptyOut) << result.out;
    }
}

TEST(CliDat, HashProgressTextCountsImagesBytesAndRate) {
    const std::pair<BatchProgress, const char*> cases[] = {
        {{0, 3, 0, 0}, "Hashing: 0 of 3 images, 0.0 of 0.0 MiB, 0 MiB/s"},
        {{1, 3, 5u << 20, 12u << 20}, "Hashing: 1 of 3 images, 5.0 of 12.0 MiB, 2 MiB/s"},
        {{10, 100, 3ull << 29, 4ull << 30}, "Hashing: 10 of 100 images, 1.5 of 4.0 GiB, 768 MiB/s"},
    };
    for (const auto& [progress, text] : cases) {
        EXPECT_EQ(HashProgressText(progress, 2.0), text);
    }
}
