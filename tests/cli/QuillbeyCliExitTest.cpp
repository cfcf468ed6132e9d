// quillbey-cli's exit codes and messages: unreadable folders and files, bad
// usage, --check, --version and --help.
#include "CliTest.h"
#include "QuillbeyVersion.h"

#include <gmock/gmock.h>

#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace testing_support;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

namespace {

// One line, ending in a newline, that names `what`.
void ExpectOneLineNaming(const std::string& err, const std::string& what) {
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_THAT(err, ::testing::EndsWith("\n"));
    EXPECT_THAT(err, HasSubstr(what));
}

} // namespace

TEST_F(CliTest, MissingFolderExitsOneWithOneLineNamingIt) {
    const std::string missing = m_dir / "no-such-folder";

    for (const bool json : {false, true}) {
        const auto result = json ? Run({"scan", "--json", missing}) : Run({"scan", missing});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, "");
        ExpectOneLineNaming(result.err, missing);
    }
}

TEST_F(CliTest, FileGivenAsFolderExitsOne) {
    const std::string file = WriteImage("a.gba");

    const auto result = Run({"scan", file});

    EXPECT_EQ(result.exitCode, 1);
    ExpectOneLineNaming(result.err, file);
}

TEST_F(CliTest, EmptyFolderNameIsAnErrorNotTheRoot) {
    const auto result = Run({"scan", "--json", ""});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    ExpectOneLineNaming(result.err, "''");
}

TEST_F(CliTest, InfoWithAnUnreadableFilePrintsTheGoodOneAndExitsOne) {
    const std::string missing = m_dir / "missing.gba";
    const std::string good = WriteImage("good.gba");

    const auto result = Run({"info", "--json", missing, good});

    EXPECT_EQ(result.exitCode, 1);
    ExpectOneLineNaming(result.err, missing);
    EXPECT_THAT(result.out, HasSubstr("\"display_name\":\"good.gba\""));
    EXPECT_THAT(result.out, HasSubstr("\"index\":1"));
}

TEST_F(CliTest, InfoRefusesFifosAndFoldersWithoutBlocking) {
#ifdef _WIN32
    const std::string fifo = m_dir.WriteText("CON.gba", "Windows reads the name as the console");
#else
    const std::string fifo = m_dir / "pipe.gba";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
#endif
    const std::string folder = m_dir.MakeSubdir("folder.gba");
    const std::string good = WriteImage("good.gba");

    const auto result = Run({"info", fifo, folder, good});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(LineCount(result.err), 2u) << result.err;
    EXPECT_THAT(result.err, HasSubstr(fifo));
    EXPECT_THAT(result.err, HasSubstr(folder));
    EXPECT_THAT(result.out, HasSubstr("good.gba"));
}

TEST_F(CliTest, BadUsageExitsTwoWithTheUsageText) {
    const std::vector<std::vector<std::string>> misuses = {
        {},
        {"frobnicate"},
        {"scan"},
        {"info"},
        {"scan", "--bogus", m_dir.Path()},
        {"scan", m_dir.Path(), m_dir.Path()},
        {"--json"},
        {"scan", m_dir.Path(), "info", m_dir.Path()},
    };
    for (const auto& args : misuses) {
        std::string shown;
        for (const auto& arg : args) {
            shown += " " + arg;
        }
        SCOPED_TRACE("quillbey-cli" + shown);
        const auto result = Run(args);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_THAT(result.err, HasSubstr("Usage:"));
        EXPECT_EQ(result.out, "");
    }
}

TEST_F(CliTest, VersionPrintsTheVersion) {
    const auto result = Run({"--version"});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, std::string(kQuillbeyVersion) + "\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(CliTest, HelpExitsZeroWithTheUsageText) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, std::vector<std::string>{"-h"},
          std::vector<std::string>{"scan", "--help"}}) {
        const auto result = Run(args);
        EXPECT_EQ(result.exitCode, 0) << args.back();
        EXPECT_THAT(result.out, HasSubstr("Usage:"));
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(CliTest, CheckPassesWhenEveryImageIsSound) {
    WriteImage("a.gba");
    WriteImage("b.bin");

    EXPECT_EQ(Run({"scan", "--check", m_dir.Path()}).exitCode, 0);
    EXPECT_EQ(Run({"scan", "--check", "--json", m_dir.Path()}).exitCode, 0);
    EXPECT_EQ(Run({"info", "--check", m_dir / "a.gba"}).exitCode, 0);
    // Without --check, faults never change the exit code.
    HeaderFields bad;
    bad.logoIntact = false;
    WriteImage("c.gba", bad);
    EXPECT_EQ(Run({"scan", m_dir.Path()}).exitCode, 0);
    EXPECT_EQ(Run({"info", m_dir / "c.gba"}).exitCode, 0);
}

TEST_F(CliTest, CheckExitsThreeForEachKindOfFault) {
    HeaderFields logo;
    logo.logoIntact = false;
    HeaderFields complement;
    complement.complementRight = false;
    HeaderFields fixed;
    fixed.fixedValue = 0x00;
    const std::vector<std::pair<std::string, HeaderFields>> faults = {
        {"logo", logo}, {"complement", complement}, {"fixed", fixed}};
    for (const auto& [kind, fields] : faults) {
        SCOPED_TRACE(kind);
        TempDir folder;
        folder.WriteFile("sound.gba", BuildImage(BuildHeader(), 512));
        const std::string faulty =
            folder.WriteFile(kind + ".gba", BuildImage(BuildHeader(fields), 512));

        const auto scan = Run({"scan", "--check", folder.Path()});
        EXPECT_EQ(scan.exitCode, 3);
        EXPECT_THAT(scan.out, HasSubstr(kind + ".gba")); // the listing is still printed
        EXPECT_EQ(Run({"scan", "--check", "--json", folder.Path()}).exitCode, 3);
        EXPECT_EQ(Run({"info", "--check", faulty}).exitCode, 3);
    }
}

TEST_F(CliTest, UnreadableFileOutranksAFaultUnderCheck) {
    HeaderFields logo;
    logo.logoIntact = false;
    const std::string faulty = WriteImage("logo.gba", logo);

    const auto result = Run({"info", "--check", faulty, m_dir / "missing.gba"});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_THAT(result.out, HasSubstr("logo.gba"));
}

TEST_F(CliTest, OutputThatCannotBeWrittenIsAnError) {
#ifdef _WIN32
    const std::string full = "Z:\\dev\\full"; // Linux's device, as Wine shows it
#else
    const std::string full = "/dev/full";
#endif
    if (!std::filesystem::exists(full)) {
        GTEST_SKIP() << "no device that is always full here";
    }
    WriteImage("a.gba");

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"scan", m_dir.Path()},
          std::vector<std::string>{"scan", "--json", m_dir.Path()},
          std::vector<std::string>{"info", m_dir / "a.gba"}}) {
        const auto result = Run(args, full);
        EXPECT_EQ(result.exitCode, 1) << args[1];
        EXPECT_EQ(LineCount(result.err), 1u) << result.err;
    }
}
