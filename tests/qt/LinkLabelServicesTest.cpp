// How the desktop's program runner reports programs it cannot start.
#include "ControlsTests.h"

#include "qt/LinkLabelServices.h"
#include "tests/support/TempDir.h"
#include "ui/OpenErrorText.h"

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

        QCOMPARE(run({dir / "missing-folder/browser", "http://x/"}), kErrPathNotFound);
        QCOMPARE(run({dir / "browser", "http://x/"}), kErrFileNotFound);
        QCOMPARE(run({plainFile, "http://x/"}), kErrAccessDenied);
        QCOMPARE(run({dir.Path(), "http://x/"}), kErrAccessDenied);
        QCOMPARE(run({"quillbey-no-such-program-on-path", "http://x/"}), kErrFileNotFound);
        QCOMPARE(run({}), kErrFileNotFound);
    }
};

int RunLinkLabelServicesTests(int argc, char** argv) {
    LinkLabelServicesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "LinkLabelServicesTest.moc"
