// How the desktop's program runner reports programs it cannot start.
#include "ControlsTests.h"

#include "qt/LinkLabelServices.h"
#include "ui/OpenErrorText.h"
#include "tests/support/TempDir.h"

#include <QTest>

#include <filesystem>
#include <string>
#include <vector>

using testing_support::TempDir;

class LinkLabelServicesTest : public QObject {
    Q_OBJECT

private slots:
    void unstartableProgramsGiveLaunchCodes() {
        const TempDir dir;
        const std::string plainFile = dir.WriteText("page.html", "<html></html>");
        std::filesystem::permissions(plainFile, std::filesystem::perms::owner_read |
                                                    std::filesystem::perms::owner_write);
        const auto run = DesktopLinkLabelServices().runCommand;

        QCOMPARE(run({dir / "missing-folder/browser", "http://x/"}), SE_ERR_PNF);
        QCOMPARE(run({dir / "browser", "http://x/"}), SE_ERR_FNF);
        QCOMPARE(run({plainFile, "http://x/"}), SE_ERR_ACCESSDENIED);
        QCOMPARE(run({dir.Path(), "http://x/"}), SE_ERR_ACCESSDENIED);
        QCOMPARE(run({"quillbey-no-such-program-on-path", "http://x/"}), SE_ERR_FNF);
        QCOMPARE(run({}), SE_ERR_FNF);
    }
};

int RunLinkLabelServicesTests(int argc, char** argv) {
    LinkLabelServicesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "LinkLabelServicesTest.moc"
