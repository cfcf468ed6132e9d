// The command line's outputs on the repository's sample images, compared
// byte for byte with the files under tests/cli/golden: the table, JSON and
// CSV of a scan, and of info on two files (named out of order: info keeps
// the order it is given). Run under Wine, the Windows
// program must print the same bytes, but for the separator in a scan's
// entry paths. QB_UPDATE_GOLDEN=1 writes the files anew instead.
#include "CProcessRunner.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

struct GoldenCase {
    const char* file;
    std::vector<std::string> args;
};

const GoldenCase kGoldenCases[] = {
    {"scan.txt", {"scan", "samples"}},
    {"scan.json", {"scan", "--json", "samples"}},
    {"scan.csv", {"scan", "--csv", "samples"}},
    {"info.txt", {"info", "samples/Orbit Pack.zip", "samples/both_faults.agb"}},
    {"info.json", {"info", "--json", "samples/Orbit Pack.zip", "samples/both_faults.agb"}},
    {"info.csv", {"info", "--csv", "samples/Orbit Pack.zip", "samples/both_faults.agb"}},
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
    for (const std::string from : {"samples\\\\", "samples\\"}) {
        for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
            text.replace(at, from.size(), "samples/");
        }
    }
    return text;
}
#endif

} // namespace

TEST(CliGolden, OutputsOnTheSamplesAreTheGoldenFiles) {
    testing_support::TempDir scratch;
    CProcessRunner runner(QB_CLI_PATH, scratch.Path());
    runner.SetWorkingDir(SourceDir());
    const bool update = std::getenv("QB_UPDATE_GOLDEN") != nullptr;
    for (const GoldenCase& golden : kGoldenCases) {
        const CProcessRunner::Result result = runner.Run(golden.args);
        ASSERT_EQ(result.exitCode, 0) << golden.file << ": " << result.err;
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
