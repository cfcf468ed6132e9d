// The browser fallback's command: the placeholder rule, its size limit, the
// argument vector it runs as, and the reading of desktop entry commands.
#include "ControlsTests.h"

#include "ui/LinkFallback.h"

#include <QStringList>
#include <QTest>

#include <optional>
#include <string>
#include <vector>

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QStringList Q(const std::vector<std::string>& items) {
    QStringList list;
    for (const std::string& item : items) {
        list << Q(item);
    }
    return list;
}

} // namespace

class LinkFallbackTest : public QObject {
    Q_OBJECT

private slots:
    void commandLine_data() {
        QTest::addColumn<QString>("commandTemplate");
        QTest::addColumn<QString>("commandLine");
        const QString target = QStringLiteral("http://example.com/");

        // The blank before the quoted placeholder stays, and one more is added.
        QTest::newRow("quoted placeholder") << "/usr/bin/browser \"%1\""
                                            << "/usr/bin/browser  " + target;
        QTest::newRow("quoted placeholder, options after") << "browser -nohome \"%1\" --new-tab"
                                                           << "browser -nohome  " + target;
        QTest::newRow("bare placeholder with options") << "browser -nohome %1 -new-window -foo"
                                                       << "browser -nohome  " + target;
        QTest::newRow("no placeholder") << "browser -new-window"
                                        << "browser -new-window " + target;
        QTest::newRow("quoted placeholder wins over an earlier bare one")
            << "browser %1 \"%1\""
            << "browser %1  " + target;
        QTest::newRow("escaped percent is no placeholder") << "browser --x=%%1 %1 --y"
                                                           << "browser --x=%%1  " + target;
        QTest::newRow("empty template") << ""
                                        << " " + target;
    }
    void commandLine() {
        QFETCH(QString, commandTemplate);
        QFETCH(QString, commandLine);
        const auto built =
            BuildFallbackCommandLine(commandTemplate.toStdString(), "http://example.com/");
        QVERIFY(built.has_value());
        QCOMPARE(Q(*built), commandLine);
    }

    void commandLineLimitCountsTheTerminatingZero() {
        // The kept "prog " + blank + target + zero: 5 + 1 + 513 + 1 = 520 bytes fit.
        const std::string fits(513, 'a');
        const auto longest = BuildFallbackCommandLine("prog \"%1\"", fits);
        QVERIFY(longest.has_value());
        QCOMPARE(longest->size() + 1, kCommandLineBufferSize);

        QVERIFY(!BuildFallbackCommandLine("prog \"%1\"", fits + "a").has_value());
        QVERIFY(BuildFallbackCommandLine("prog", fits + "a").has_value());
        QVERIFY(!BuildFallbackCommandLine("prog", fits + "aa").has_value());
    }

    void commandLineLimitCountsOnlyTheKeptPart() {
        // What follows the placeholder is cut away before the length is judged.
        const std::string longOptions(600, 'x');
        QVERIFY(BuildFallbackCommandLine("prog %1 " + longOptions, "http://a/").has_value());
        QVERIFY(!BuildFallbackCommandLine("prog " + longOptions + " %1", "http://a/").has_value());
    }

    void arguments_data() {
        QTest::addColumn<QString>("commandTemplate");
        QTest::addColumn<QStringList>("arguments");

        QTest::newRow("quoted program path, quoted placeholder")
            << "\"/opt/My Browser/browser\" --new-window \"%1\""
            << QStringList{"/opt/My Browser/browser", "--new-window", "TARGET"};
        QTest::newRow("bare placeholder with options")
            << "browser -nohome %1 -foo" << QStringList{"browser", "-nohome", "TARGET"};
        QTest::newRow("no placeholder") << "browser" << QStringList{"browser", "TARGET"};
        QTest::newRow("other field codes dropped")
            << "browser %i --class=%c --flag %1"
            << QStringList{"browser", "--class=", "--flag", "TARGET"};
        QTest::newRow("escaped percent")
            << "browser --zoom=100%% %1" << QStringList{"browser", "--zoom=100%", "TARGET"};
    }
    void arguments() {
        QFETCH(QString, commandTemplate);
        QFETCH(QStringList, arguments);
        const auto built = BuildFallbackArguments(commandTemplate.toStdString(), "TARGET");
        QVERIFY(built.has_value());
        QCOMPARE(Q(*built), arguments);
    }

    void targetIsAlwaysOneArgument_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("quotes and semicolons") << "http://x/\"; rm -rf ~; echo \"";
        QTest::newRow("command substitution") << "$(touch /tmp/pwned) `id`";
        QTest::newRow("blanks") << "a b\tc\nd";
        QTest::newRow("placeholder and field codes") << "\"%1\" %u %% %i";
        QTest::newRow("backslashes") << "\\\" \\\\ \\$";
        QTest::newRow("empty") << "";
    }
    void targetIsAlwaysOneArgument() {
        QFETCH(QString, target);
        const auto built = BuildFallbackArguments("browser --new-tab \"%1\"", target.toStdString());
        QVERIFY(built.has_value());
        QCOMPARE(Q(*built), (QStringList{"browser", "--new-tab", target}));
    }

    void templateWithoutUsableProgramIsRefused_data() {
        QTest::addColumn<QString>("commandTemplate");
        QTest::newRow("only a quoted placeholder") << "\"%1\"";
        QTest::newRow("only a bare placeholder") << "  %1 --foo";
        QTest::newRow("empty") << "";
        QTest::newRow("only field codes") << "%i %c";
        // Cut inside a quoted argument: the kept part leaves its quote open.
        QTest::newRow("placeholder inside quotes") << "browser \"--url=%1\"";
    }
    void templateWithoutUsableProgramIsRefused() {
        QFETCH(QString, commandTemplate);
        QVERIFY(!BuildFallbackArguments(commandTemplate.toStdString(), "http://x/").has_value());
    }

    void execToCommandTemplate_data() {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QString>("commandTemplate");
        QTest::newRow("%u") << "firefox-esr %u"
                            << "firefox-esr %1";
        QTest::newRow("%U") << "chromium %U"
                            << "chromium %1";
        QTest::newRow("%f and %F") << "a %f b %F"
                                   << "a %1 b %1";
        QTest::newRow("escaped percent before u") << "b --x=%%u %U"
                                                  << "b --x=%%u %1";
        QTest::newRow("other codes stay") << "b %i %c %k %u"
                                          << "b %i %c %k %1";
        QTest::newRow("no code") << "b --new"
                                 << "b --new";
    }
    void execToCommandTemplate() {
        QFETCH(QString, exec);
        QFETCH(QString, commandTemplate);
        QCOMPARE(Q(ExecToCommandTemplate(exec.toStdString())), commandTemplate);
    }

    void desktopExecRunsWithTheTargetLast() {
        const std::string commandTemplate =
            ExecToCommandTemplate("\"/opt/web browser/run\" %i --class=web %%u %U");
        const auto built = BuildFallbackArguments(commandTemplate, "mailto:a@b.c");
        QVERIFY(built.has_value());
        QCOMPARE(Q(*built),
                 (QStringList{"/opt/web browser/run", "--class=web", "%u", "mailto:a@b.c"}));
    }

    void splitExecArguments_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("blanks separate, runs of them too")
            << "  a   b\tc  " << QStringList{"a", "b", "c"};
        QTest::newRow("quotes group") << "\"a b\" c" << QStringList{"a b", "c"};
        QTest::newRow("escapes inside quotes")
            << "\"say \\\"hi\\\" \\$HOME \\\\ \\`x\\`\"" << QStringList{"say \"hi\" $HOME \\ `x`"};
        QTest::newRow("other backslashes stay") << "\"a\\nb\" c\\d" << QStringList{"a\\nb", "c\\d"};
        QTest::newRow("empty quoted argument") << "a \"\" b" << QStringList{"a", "", "b"};
        QTest::newRow("quoted part joins its neighbours")
            << "pre\"quoted part\"post" << QStringList{"prequoted partpost"};
        QTest::newRow("field code alone disappears") << "a %i b" << QStringList{"a", "b"};
        QTest::newRow("double percent") << "100%% %%" << QStringList{"100%", "%"};
        QTest::newRow("lone percent stays") << "50% %-x %" << QStringList{"50%", "%-x", "%"};
        QTest::newRow("shell characters are plain text")
            << "a;b |c $(d) >e" << QStringList{"a;b", "|c", "$(d)", ">e"};
        QTest::newRow("nothing") << "   " << QStringList{};
    }
    void splitExecArguments() {
        QFETCH(QString, text);
        QFETCH(QStringList, arguments);
        const auto split = SplitExecArguments(text.toStdString());
        QVERIFY(split.has_value());
        QCOMPARE(Q(*split), arguments);
    }

    void unterminatedQuoteIsRejected() {
        QVERIFY(!SplitExecArguments("browser \"--new-window").has_value());
        QVERIFY(!SplitExecArguments("\"a\\\"").has_value());
    }
};

int RunLinkFallbackTests(int argc, char** argv) {
    LinkFallbackTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "LinkFallbackTest.moc"
