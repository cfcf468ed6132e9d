// Fitting a link label's rectangle to its text.
#include "ControlsTests.h"

#include "ui/FitToTextRect.h"

#include <QTest>

Q_DECLARE_METATYPE(WindowRect)

// Lets QCOMPARE print rectangles that differ.
char* toString(const WindowRect& r) {
    return QTest::toString(
        QStringLiteral("(%1,%2)-(%3,%4)").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom));
}

class FitToTextRectTest : public QObject {
    Q_OBJECT

private slots:
    void fits_data() {
        QTest::addColumn<WindowRect>("window");
        QTest::addColumn<int>("textWidth");
        QTest::addColumn<int>("textHeight");
        QTest::addColumn<unsigned>("style");
        QTest::addColumn<WindowRect>("expected");

        // Width 101, text 50: each side moves by 25, leaving 51.
        QTest::newRow("centred, odd difference")
            << WindowRect{10, 20, 111, 40} << 50 << 13 << SS_CENTER << WindowRect{35, 20, 86, 33};
        QTest::newRow("centred, text wider: grows to both sides")
            << WindowRect{100, 0, 140, 10} << 80 << 10 << SS_CENTER << WindowRect{80, 0, 160, 10};
        // -51 / 2 truncates to -25, so the window ends one pixel short of the text.
        QTest::newRow("centred, text wider by an odd amount")
            << WindowRect{100, 0, 150, 10} << 101 << 10 << SS_CENTER << WindowRect{75, 0, 175, 10};
        QTest::newRow("left, text wider: grows to the right")
            << WindowRect{100, 5, 140, 15} << 80 << 12 << 0u << WindowRect{100, 5, 180, 17};
        QTest::newRow("left, text narrower")
            << WindowRect{100, 5, 140, 25} << 7 << 12 << 0u << WindowRect{100, 5, 107, 17};
        QTest::newRow("right, text wider: grows to the left")
            << WindowRect{100, 5, 140, 15} << 80 << 12 << SS_RIGHT << WindowRect{60, 5, 140, 17};
        QTest::newRow("centre wins over right")
            << WindowRect{0, 0, 100, 10} << 50 << 10 << (SS_CENTER | SS_RIGHT)
            << WindowRect{25, 0, 75, 10};
        QTest::newRow("centre image, odd difference")
            << WindowRect{0, 10, 40, 31} << 40 << 10 << SS_CENTERIMAGE << WindowRect{0, 15, 40, 26};
        QTest::newRow("centre image, text taller by an odd amount")
            << WindowRect{0, 10, 40, 18} << 40 << 13 << SS_CENTERIMAGE << WindowRect{0, 8, 40, 20};
        QTest::newRow("empty text, left")
            << WindowRect{3, 4, 50, 20} << 0 << 0 << 0u << WindowRect{3, 4, 3, 4};
    }
    void fits() {
        QFETCH(WindowRect, window);
        QFETCH(int, textWidth);
        QFETCH(int, textHeight);
        QFETCH(unsigned, style);
        QFETCH(WindowRect, expected);
        QCOMPARE(FitRectToText(window, textWidth, textHeight, style), expected);
    }
};

int RunFitToTextRectTests(int argc, char** argv) {
    FitToTextRectTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "FitToTextRectTest.moc"
