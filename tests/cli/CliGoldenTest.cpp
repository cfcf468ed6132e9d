// The command line's outputs on the repository's sample images, compared
// byte for byte with the files under tests/cli/golden: the table, JSON and
// CSV of a scan, and of info on two files (named out of order: info keeps
// the order it is given); and on a small collection checked against its DAT,
// those of scan --dat --hash and of verify. Run under Wine, the Windows
// program must print the same bytes, but for the separator in a scan's
// entry paths. QB_UPDATE_GOLDEN=1 writes the files anew instead.
#include "CProcessRunner.h"
#include "DatCollection.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <span>
#include <sstream>

namespace {

struct GoldenCase {
    const char* file;
    std::vector<std::string> args;
    int exitCode = 0;
};

const GoldenCase kGoldenCases[] = {
    {"scan.txt", {"scan", "samples"}},
    {"scan.json", {"scan", "--json", "samples"}},
    {"scan.csv", {"scan", "--csv", "samples"}},
    {"info.txt", {"info", "samples/Orbit Pack.zip", "samples/both_faults.agb"}},
    {"info.json", {"info", "--json", "samples/Orbit Pack.zip", "samples/both_faults.agb"}},
    {"info.csv", {"info", "--csv", "samples/Orbit Pack.zip", "samples/both_faults.agb"}},
};

// verify exits with 3: the collection holds a bad dump and an unknown image.
const GoldenCase kDatGoldenCases[] = {
    {"scan-dat.txt", {"scan", "--dat", "games.dat", "--hash", "roms"}},
    {"scan-dat.json", {"scan", "--json", "--dat", "games.dat", "--hash", "roms"}},
    {"scan-dat.csv", {"scan", "--csv", "--dat", "games.dat", "--hash", "roms"}},
    {"verify.txt", {"verify", "--dat", "games.dat", "--missing", "roms"}, 3},
    {"verify.json", {"verify", "--json", "--dat", "games.dat", "--missing", "roms"}, 3},
    {"verify.csv", {"verify", "--csv", "--dat", "games.dat", "--missing", "roms"}, 3},
};

// The source tree, where samples/ lies; under Wine through drive Z:.
std::string SourceDir() {
    std::string dir = QB_SOURCE_DIR;
#ifdef _WIN32
    std::replace(dir.begin(), dir.end(), '/', '\\');
    dir = "Z:" + dir;
#endif
    return dir;
}

std::string GoldenPath(const char* file) {
    return SourceDir() + "/tests/cli/golden/" + file;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

#ifdef _WIN32
// Windows joins a scan's folder and names with a backslash (escaped in JSON).
std::string WithLinuxSeparators(std::string text) {
    for (const std::string folder : {"samples", "roms"}) {
        for (const std::string& from : {folder + "\\\\", folder + "\\"}) {
            for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
                text.replace(at, from.size(), folder + "/");
            }
        }
    }
    return text;
}
#endif

void ExpectGoldenOutputs(std::span<const GoldenCase> cases, const std::string& workingDir) {
    testing_support::TempDir scratch;
    CProcessRunner runner(QB_CLI_PATH, scratch.Path());
    runner.SetWorkingDir(workingDir);
    const bool update = std::getenv("QB_UPDATE_GOLDEN") != nullptr;
    for (const GoldenCase& golden : cases) {
        const CProcessRunner::Result result = runner.Run(golden.args);
        ASSERT_EQ(result.exitCode, golden.exitCode) << golden.file << ": " << result.err;
        std::string out = result.out;
#ifdef _WIN32
        out = WithLinuxSeparators(out);
#endif
        if (update) {
            std::ofstream(GoldenPath(golden.file), std::ios::binary) << out;
            continue;
        }
        EXPECT_EQ(out, ReadText(GoldenPath(golden.file))) << golden.file;
    }
}

} // namespace

TEST(CliGolden, OutputsOnTheSamplesAreTheGoldenFiles) {
    ExpectGoldenOutputs(kGoldenCases, SourceDir());
}

TEST(CliGolden, OutputsAgainstADatAreTheGoldenFiles) {
    const testing_support::DatCollection collection;
    ExpectGoldenOutputs(kDatGoldenCases, collection.Dir().Path());
}
