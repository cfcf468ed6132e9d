// The texts of the link label's failure box.
#include "ControlsTests.h"

#include "ui/OpenErrorText.h"

#include <QTest>

namespace {
QString Text(int code) {
    return QString::fromStdString(OpenErrorText(code));
}
} // namespace

class OpenErrorTextTest : public QObject {
    Q_OBJECT

private slots:
    void sharingViolationKeepsItsTrailingBlank() {
        QCOMPARE(QString::fromStdString(OpenErrorMessage(26)),
                 QStringLiteral("Unable to open hyperlink:\n\nA sharing violation occurred. "));
    }

    void codeWithoutTextShowsItsNumber_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("1") << 1 << "Unable to open hyperlink:\n\nUnknown Error (1) occurred.";
        QTest::newRow("success value")
            << 33 << "Unable to open hyperlink:\n\nUnknown Error (33) occurred.";
        QTest::newRow("negative") << -7
                                  << "Unable to open hyperlink:\n\nUnknown Error (-7) occurred.";
    }
    void codeWithoutTextShowsItsNumber() {
        QFETCH(int, code);
        QFETCH(QString, message);
        QCOMPARE(QString::fromStdString(OpenErrorMessage(code)), message);
    }

    void multiLineTextsKeepTheirBreaks() {
        QCOMPARE(Text(0), QStringLiteral("The operating system is out\nof memory or resources."));
        QCOMPARE(Text(30),
                 QStringLiteral("The DDE transaction could not\nbe completed because other DDE "
                                "transactions\nwere being processed."));
        QCOMPARE(Text(31), QStringLiteral("There is no application associated\nwith the "
                                          "given filename extension."));
    }
};

int RunOpenErrorTextTests(int argc, char** argv) {
    OpenErrorTextTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "OpenErrorTextTest.moc"
