// Finding the desktop's default application for a MIME type and its command,
// in folders built by the test.
#include "ControlsTests.h"

#include "qt/DesktopHandler.h"
#include "tests/support/TempDir.h"

#include <QTest>

#include <optional>
#include <string>

using testing_support::TempDir;

namespace {

QString Q(const std::optional<std::string>& text) {
    return text ? QString::fromStdString(*text) : QStringLiteral("<none>");
}

std::string DesktopFile(const std::string& exec) {
    return "[Desktop Entry]\nType=Application\nName=Browser\nExec=" + exec + "\n";
}

// A home and a system folder pair, each with config and data parts.
class XdgTree {
public:
    XdgTree() {
        for (const char* dir :
             {"home/config", "etc/xdg", "home/data/applications", "usr/share/applications"}) {
            m_root.MakeSubdir(dir);
        }
        m_dirs.configDirs = {m_root / "home/config", m_root / "etc/xdg"};
        m_dirs.dataDirs = {m_root / "home/data", m_root / "usr/share"};
    }
    void Write(const std::string& name, const std::string& text) const {
        m_root.WriteText(name, text);
    }
    XdgDirs& Dirs() { return m_dirs; }

private:
    TempDir m_root;
    XdgDirs m_dirs;
};

} // namespace

class DesktopHandlerTest : public QObject {
    Q_OBJECT

private slots:
    void execIsReadFromTheDesktopEntryGroupOnly() {
        const std::string text = "# comment\r\n"
                                 "[Desktop Action new-window]\r\n"
                                 "Exec=wrong --new-window\r\n"
                                 "[Desktop Entry]\r\n"
                                 "Exec[de]=wrong\r\n"
                                 "Exec = browser %u\r\n"
                                 "Exec=second\r\n";
        QCOMPARE(Q(DesktopEntryExec(text)), QStringLiteral("browser %u"));
    }

    void execValueEscapesAreResolved() {
        const auto exec =
            DesktopEntryExec("[Desktop Entry]\nExec=run\\sthis \"a\\\\\\\\b\" \\\"x\\\"\n");
        // \s is a blank, \\ one backslash; \" is left for the command's quoting.
        QCOMPARE(Q(exec), QStringLiteral("run this \"a\\\\b\" \\\"x\\\""));
    }

    void missingOrEmptyExecGivesNothing() {
        QVERIFY(!DesktopEntryExec("[Desktop Entry]\nName=x\n").has_value());
        QVERIFY(!DesktopEntryExec("[Desktop Entry]\nExec=\n").has_value());
        QVERIFY(!DesktopEntryExec("Exec=outside any group\n").has_value());
    }

    void listedIdsKeepOrderAndDropEmptyItems() {
        const std::string text = "[Added Associations]\ntext/html=z.desktop;\n"
                                 "[Default Applications]\n"
                                 "text/plain=editor.desktop\n"
                                 "text/html=a.desktop;;b.desktop;\n";
        const auto ids = ListedDesktopIds(text, "Default Applications", "text/html");
        QCOMPARE(ids.size(), std::size_t{2});
        QCOMPARE(ids[0], std::string("a.desktop"));
        QCOMPARE(ids[1], std::string("b.desktop"));
        QVERIFY(ListedDesktopIds(text, "Default Applications", "image/png").empty());
    }

    void firstInstalledDefaultWins() {
        XdgTree tree;
        tree.Write("home/config/mimeapps.list",
                   "[Default Applications]\n"
                   "text/html=gone.desktop;good.desktop;other.desktop\n");
        tree.Write("usr/share/applications/good.desktop", DesktopFile("good %u"));
        tree.Write("usr/share/applications/other.desktop", DesktopFile("other %u"));
        QCOMPARE(Q(FindDefaultHandlerExec(tree.Dirs(), "text/html")), QStringLiteral("good %u"));
    }

    void homeEntryHidesTheSystemOneOfTheSameName() {
        XdgTree tree;
        tree.Write("etc/xdg/mimeapps.list", "[Default Applications]\ntext/html=web.desktop\n");
        tree.Write("home/data/applications/web.desktop", DesktopFile("mine %U"));
        tree.Write("usr/share/applications/web.desktop", DesktopFile("system %U"));
        QCOMPARE(Q(FindDefaultHandlerExec(tree.Dirs(), "text/html")), QStringLiteral("mine %U"));
    }

    void listsAreConsultedInPrecedenceOrder() {
        XdgTree tree;
        tree.Write("usr/share/applications/a.desktop", DesktopFile("a"));
        tree.Write("usr/share/applications/b.desktop", DesktopFile("b"));
        tree.Write("usr/share/applications/c.desktop", DesktopFile("c"));
        tree.Write("usr/share/applications/mimeapps.list",
                   "[Default Applications]\ntext/html=c.desktop\n");
        QCOMPARE(Q(FindDefaultHandlerExec(tree.Dirs(), "text/html")), QStringLiteral("c"));

        tree.Write("etc/xdg/mimeapps.list", "[Default Applications]\ntext/html=b.desktop\n");
        QCOMPARE(Q(FindDefaultHandlerExec(tree.Dirs(), "text/html")), QStringLiteral("b"));

        tree.Write("home/config/mimeapps.list", "[Default Applications]\ntext/html=a.desktop\n");
        QCOMPARE(Q(FindDefaultHandlerExec(tree.Dirs(), "text/html")), QStringLiteral("a"));

        // The current desktop's own list comes before the general one.
        tree.Dirs().desktops = {"kde"};
        tree.Write("home/config/kde-mimeapps.list",
                   "[Default Applications]\ntext/html=c.desktop\n");
        QCOMPARE(Q(FindDefaultHandlerExec(tree.Dirs(), "text/html")), QStringLiteral("c"));
    }

    void addedAssociationsThenCacheWhenNoDefault() {
        XdgTree tree;
        tree.Write("usr/share/applications/cached.desktop", DesktopFile("cached %u"));
        tree.Write("usr/share/applications/added.desktop", DesktopFile("added %u"));
        tree.Write("usr/share/applications/mimeinfo.cache",
                   "[MIME Cache]\ntext/html=cached.desktop;\n");
        QCOMPARE(Q(FindDefaultHandlerExec(tree.Dirs(), "text/html")), QStringLiteral("cached %u"));

        tree.Write("home/config/mimeapps.list", "[Default Applications]\n"
                                                "text/plain=added.desktop\n"
                                                "[Added Associations]\n"
                                                "text/html=added.desktop;\n");
        QCOMPARE(Q(FindDefaultHandlerExec(tree.Dirs(), "text/html")), QStringLiteral("added %u"));
    }

    void noUsableApplicationGivesNothing() {
        XdgTree tree;
        QVERIFY(!FindDefaultHandlerExec(tree.Dirs(), "text/html").has_value());

        // Listed but not installed, without a command, or named with a path.
        tree.Write("home/config/mimeapps.list",
                   "[Default Applications]\n"
                   "text/html=missing.desktop;nocommand.desktop;../escape.desktop\n");
        tree.Write("usr/share/applications/nocommand.desktop", "[Desktop Entry]\nName=x\n");
        tree.Write("usr/share/escape.desktop", DesktopFile("escaped"));
        QVERIFY(!FindDefaultHandlerExec(tree.Dirs(), "text/html").has_value());
    }
};

int RunDesktopHandlerTests(int argc, char** argv) {
    DesktopHandlerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DesktopHandlerTest.moc"
