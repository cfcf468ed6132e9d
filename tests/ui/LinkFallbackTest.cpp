// The browser fallback's command: the placeholder rule, its size limit, the
// argument vector it runs as, and the reading of desktop entry commands.
#include "ui/LinkFallback.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

TEST(LinkFallback, CommandLineKeepsWhatStandsBeforeThePlaceholder) {
    const std::string target = "http://example.com/";
    const std::pair<std::string, std::string> cases[] = {
        // The blank before the quoted placeholder stays, and one more is added.
        {"/usr/bin/browser \"%1\"", "/usr/bin/browser  " + target},
        {"browser -nohome \"%1\" --new-tab", "browser -nohome  " + target},
        {"browser -nohome %1 -new-window -foo", "browser -nohome  " + target},
        {"browser -new-window", "browser -new-window " + target},
        // The quoted placeholder wins over an earlier bare one.
        {"browser %1 \"%1\"", "browser %1  " + target},
        {"browser --x=%%1 %1 --y", "browser --x=%%1  " + target},
        {"", " " + target},
    };
    for (const auto& [commandTemplate, commandLine] : cases) {
        EXPECT_EQ(BuildFallbackCommandLine(commandTemplate, target), commandLine)
            << commandTemplate;
    }
}

TEST(LinkFallback, CommandLineLimitCountsTheTerminatingZeroAndOnlyTheKeptPart) {
    // The kept "prog " + blank + target + zero: 5 + 1 + 513 + 1 = 520 bytes fit.
    const std::string fits(513, 'a');
    const auto longest = BuildFallbackCommandLine("prog \"%1\"", fits);
    ASSERT_TRUE(longest.has_value());
    EXPECT_EQ(longest->size() + 1, kCommandLineBufferSize);
    EXPECT_FALSE(BuildFallbackCommandLine("prog \"%1\"", fits + "a").has_value());
    EXPECT_TRUE(BuildFallbackCommandLine("prog", fits + "a").has_value());
    EXPECT_FALSE(BuildFallbackCommandLine("prog", fits + "aa").has_value());
    // What follows the placeholder is cut away before the length is judged.
    const std::string longOptions(600, 'x');
    EXPECT_TRUE(BuildFallbackCommandLine("prog %1 " + longOptions, "http://a/").has_value());
    EXPECT_FALSE(BuildFallbackCommandLine("prog " + longOptions + " %1", "http://a/").has_value());
}

TEST(LinkFallback, ArgumentsEndWithTheTarget) {
    const std::pair<std::string, Arguments> cases[] = {
        {"\"/opt/My Browser/browser\" --new-window \"%1\"",
         {"/opt/My Browser/browser", "--new-window", "TARGET"}},
        {"browser -nohome %1 -foo", {"browser", "-nohome", "TARGET"}},
        {"browser", {"browser", "TARGET"}},
        {"browser %i --class=%c --flag %1", {"browser", "--class=", "--flag", "TARGET"}},
        {"browser --zoom=100%% %1", {"browser", "--zoom=100%", "TARGET"}},
    };
    for (const auto& [commandTemplate, arguments] : cases) {
        EXPECT_EQ(BuildFallbackArguments(commandTemplate, "TARGET"), arguments) << commandTemplate;
    }
}

TEST(LinkFallback, TargetIsAlwaysOneArgument) {
    for (const std::string target : {"http://x/\"; rm -rf ~; echo \"", "$(touch /tmp/pwned) `id`",
                                     "a b\tc\nd", "\"%1\" %u %% %i", "\\\" \\\\ \\$", ""}) {
        EXPECT_EQ(BuildFallbackArguments("browser --new-tab \"%1\"", target),
                  (Arguments{"browser", "--new-tab", target}))
            << target;
    }
}

TEST(LinkFallback, TemplateWithoutUsableProgramIsRefused) {
    // The last is cut inside a quoted argument: the kept part leaves its quote open.
    for (const std::string commandTemplate :
         {"\"%1\"", "  %1 --foo", "", "%i %c", "browser \"--url=%1\""}) {
        EXPECT_FALSE(BuildFallbackArguments(commandTemplate, "http://x/").has_value())
            << commandTemplate;
    }
}

TEST(LinkFallback, DesktopExecBecomesACommandTemplate) {
    const std::pair<std::string, std::string> cases[] = {
        {"firefox-esr %u", "firefox-esr %1"}, {"chromium %U", "chromium %1"},
        {"a %f b %F", "a %1 b %1"},           {"b --x=%%u %U", "b --x=%%u %1"},
        {"b %i %c %k %u", "b %i %c %k %1"},   {"b --new", "b --new"},
    };
    for (const auto& [exec, commandTemplate] : cases) {
        EXPECT_EQ(ExecToCommandTemplate(exec), commandTemplate) << exec;
    }
    const std::string commandTemplate =
        ExecToCommandTemplate("\"/opt/web browser/run\" %i --class=web %%u %U");
    EXPECT_EQ(BuildFallbackArguments(commandTemplate, "mailto:a@b.c"),
              (Arguments{"/opt/web browser/run", "--class=web", "%u", "mailto:a@b.c"}));
}

TEST(LinkFallback, ExecArgumentsSplitAsDesktopEntriesQuoteThem) {
    const std::pair<std::string, Arguments> cases[] = {
        {"  a   b\tc  ", {"a", "b", "c"}},
        {"\"a b\" c", {"a b", "c"}},
        {"\"say \\\"hi\\\" \\$HOME \\\\ \\`x\\`\"", {"say \"hi\" $HOME \\ `x`"}},
        {"\"a\\nb\" c\\d", {"a\\nb", "c\\d"}},
        {"a \"\" b", {"a", "", "b"}},
        {"pre\"quoted part\"post", {"prequoted partpost"}},
        {"a %i b", {"a", "b"}},
        {"100%% %%", {"100%", "%"}},
        {"50% %-x %", {"50%", "%-x", "%"}},
        {"a;b |c $(d) >e", {"a;b", "|c", "$(d)", ">e"}},
        {"   ", {}},
    };
    for (const auto& [text, arguments] : cases) {
        EXPECT_EQ(SplitExecArguments(text), arguments) << text;
    }
    EXPECT_FALSE(SplitExecArguments("browser \"--new-window").has_value());
    EXPECT_FALSE(SplitExecArguments("\"a\\\"").has_value());
}
