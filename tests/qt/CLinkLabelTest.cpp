// The hyperlink label as a widget: attach order, fitting, font, colours,
// hover, clicking, opening with its fallback and the failure report. The
// desktop is replaced by recording fakes, so nothing is launched or shown.
#include "ControlsTests.h"

#include "qt/CLinkLabel.h"
#include "ui/OpenErrorText.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <QPalette>
#include <QPointer>
#include <QTest>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// What the label asked of the desktop, in order, and what the fakes answer.
struct FakeDesktop {
    int shellResult = kErrNoAssociation;
    std::optional<std::string> browserCommand;
    int runResult = kLaunchSucceeded;

    std::vector<std::string> events;
    std::vector<std::string> shellTargets;
    std::vector<std::vector<std::string>> runs;
    std::vector<QString> messages;
    QWidget* messageOwner = nullptr;

    LinkLabelServices Services() {
        LinkLabelServices services;
        services.openWithShell = [this](const std::string& target) {
            events.push_back("shell");
            shellTargets.push_back(target);
            return shellResult;
        };
        services.browserCommand = [this]() {
            events.push_back("browser");
            return browserCommand;
        };
        services.runCommand = [this](const std::vector<std::string>& arguments) {
            events.push_back("run");
            runs.push_back(arguments);
            return runResult;
        };
        services.beep = [this]() { events.push_back("beep"); };
        services.showMessage = [this](QWidget* owner, const QString& text) {
            events.push_back("message");
            messages.push_back(text);
            messageOwner = owner;
        };
        return services;
    }
};

void SendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void MoveMouse(QWidget* widget, QPoint pos, Qt::MouseButtons buttons = Qt::NoButton) {
    SendMouse(widget, QEvent::MouseMove, pos, Qt::NoButton, buttons);
}

void Click(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
    SendMouse(widget, QEvent::MouseButtonPress, pos, button, button);
    SendMouse(widget, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

void Leave(QWidget* widget) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

bool ImageHasColor(const QImage& image, const QColor& color) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).rgb() == color.rgb()) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

class CLinkLabelTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QWidget> m_parent;
    QPalette m_savedPalette;

    // A label on a parent widget, placed and aligned as the dialog does it.
    CLinkLabel* MakeLabel(const QString& text,
                          Qt::Alignment alignment = Qt::AlignHCenter | Qt::AlignTop,
                          QRect geometry = QRect(20, 30, 200, 40)) {
        auto* label = new CLinkLabel(m_parent.get());
        label->setText(text);
        label->setAlignment(alignment);
        label->setGeometry(geometry);
        return label;
    }

    // Text extent with the font the label ends up with after attaching.
    static QSize TextExtent(const CLinkLabel& label) {
        const QFontMetrics metrics(label.font());
        return {metrics.horizontalAdvance(label.text()), metrics.height()};
    }

private slots:
    void init() {
        m_parent = std::make_unique<QWidget>();
        m_parent->resize(400, 300);
        m_savedPalette = QGuiApplication::palette();
    }
    void cleanup() {
        m_parent.reset();
        QGuiApplication::setPalette(m_savedPalette);
    }

    // --- attach -------------------------------------------------------------

    void attachFillsTargetAndTextFromEachOther_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("expectedText");
        QTest::addColumn<QString>("expectedTarget");
        QTest::newRow("empty target takes the text") << "www.example.com"
                                                     << ""
                                                     << "www.example.com"
                                                     << "www.example.com";
        QTest::newRow("empty text takes the target") << ""
                                                     << "mailto:me@example.com"
                                                     << "mailto:me@example.com"
                                                     << "mailto:me@example.com";
        QTest::newRow("both empty stay empty") << ""
                                               << ""
                                               << ""
                                               << "";
        QTest::newRow("both set stay apart") << "Contact"
                                             << "mailto:me@example.com"
                                             << "Contact"
                                             << "mailto:me@example.com";
    }
    void attachFillsTargetAndTextFromEachOther() {
        QFETCH(QString, text);
        QFETCH(QString, target);
        QFETCH(QString, expectedText);
        QFETCH(QString, expectedTarget);
        CLinkLabel* label = MakeLabel(text);
        label->SetTarget(target);
        QCOMPARE(label->toolTip(), QString()); // not attached yet: only stored
        label->Attach();
        QCOMPARE(label->text(), expectedText);
        QCOMPARE(label->GetTarget(), expectedTarget);
        QCOMPARE(label->toolTip(), expectedTarget);
    }

    void mailLinkSequenceOfTheDialog() {
        // Attached with its caption, then given a mailto: target.
        CLinkLabel* label = MakeLabel("maker@example.com");
        label->Attach();
        const QRect fitted = label->geometry();
        QCOMPARE(label->toolTip(), QStringLiteral("maker@example.com"));

        label->SetTarget("mailto:maker@example.com");
        QCOMPARE(label->GetTarget(), QStringLiteral("mailto:maker@example.com"));
        QCOMPARE(label->toolTip(), QStringLiteral("mailto:maker@example.com"));
        QCOMPARE(label->text(), QStringLiteral("maker@example.com"));
        QCOMPARE(label->geometry(), fitted);
    }

    void attachRunsOnlyOnce() {
        CLinkLabel* label = MakeLabel("first");
        label->Attach();
        label->setText(QString());
        label->Attach();
        QCOMPARE(label->text(), QString());
    }

    void attachGivesHandCursorAndUnderline() {
        CLinkLabel* label = MakeLabel("www.example.com");
        label->Attach();
        QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(label->font().underline());

        label->SetUnderlined(false);
        QVERIFY(!label->font().underline());
        label->SetUnderlined(true);
        QVERIFY(label->font().underline());
    }

    void underlineSetBeforeAttachIsAppliedAtAttach() {
        CLinkLabel* label = MakeLabel("www.example.com");
        label->SetUnderlined(false);
        label->Attach();
        QVERIFY(!label->font().underline());
    }

    // --- fitting ------------------------------------------------------------

    void fitsAroundItsCentre() {
        CLinkLabel* label =
            MakeLabel("www.example.com", Qt::AlignHCenter | Qt::AlignTop, QRect(20, 30, 201, 40));
        label->Attach();
        const QSize text = TextExtent(*label);
        const int inset = (201 - text.width()) / 2;
        QCOMPARE(label->geometry(), QRect(20 + inset, 30, 201 - 2 * inset, text.height()));
    }

    void centredLabelGrowsToBothSides() {
        CLinkLabel* label = MakeLabel("a rather long caption for a narrow label",
                                      Qt::AlignHCenter | Qt::AlignTop, QRect(100, 30, 20, 5));
        label->Attach();
        const QSize text = TextExtent(*label);
        QVERIFY(text.width() > 20);
        QVERIFY(label->geometry().left() < 100);
        QVERIFY(label->geometry().right() > 119);
        // Both sides moved by the same amount.
        QCOMPARE(100 - label->geometry().left(), label->geometry().right() - 119);
    }

    void leftAlignedKeepsItsLeftEdge() {
        CLinkLabel* label =
            MakeLabel("www.example.com", Qt::AlignLeft | Qt::AlignTop, QRect(20, 30, 10, 40));
        label->Attach();
        const QSize text = TextExtent(*label);
        QCOMPARE(label->geometry(), QRect(20, 30, text.width(), text.height()));
    }

    void rightAlignedKeepsItsRightEdge() {
        CLinkLabel* label =
            MakeLabel("www.example.com", Qt::AlignRight | Qt::AlignTop, QRect(20, 30, 300, 40));
        label->Attach();
        const QSize text = TextExtent(*label);
        QCOMPARE(label->geometry(), QRect(320 - text.width(), 30, text.width(), text.height()));
    }

    void verticallyCentredShrinksAroundItsMiddle() {
        CLinkLabel* label =
            MakeLabel("www.example.com", Qt::AlignLeft | Qt::AlignVCenter, QRect(20, 30, 300, 101));
        label->Attach();
        const QSize text = TextExtent(*label);
        const int inset = (101 - text.height()) / 2;
        QCOMPARE(label->geometry(), QRect(20, 30 + inset, text.width(), 101 - 2 * inset));
    }

    void fitMeasuresTheUnderlinedLinkFont() {
        QFont font = m_parent->font();
        font.setPointSize(30);
        CLinkLabel* label = MakeLabel("www.example.com", Qt::AlignLeft | Qt::AlignTop);
        label->setFont(font);
        label->Attach();
        QCOMPARE(label->geometry().height(), QFontMetrics(label->font()).height());
        QVERIFY(label->geometry().height() > QFontMetrics(m_parent->font()).height());
    }

    void withoutFitToTextKeepsItsSize() {
        CLinkLabel* label = MakeLabel("www.example.com");
        label->SetFitToText(false);
        label->Attach();
        QCOMPARE(label->geometry(), QRect(20, 30, 200, 40));
        label->SetTarget("http://elsewhere.example.com/");
        QCOMPARE(label->geometry(), QRect(20, 30, 200, 40));
    }

    // --- colours ------------------------------------------------------------

    void defaultColours() {
        CLinkLabel* label = MakeLabel("www.example.com");
        label->Attach();
        QCOMPARE(label->TextColor(), QColor(0, 0, 238));
        label->SetLinkVisited(true);
        QCOMPARE(label->TextColor(), QColor(85, 26, 139));
    }

    void hoverColourWhileTheMouseIsOver() {
        CLinkLabel* label = MakeLabel("www.example.com");
        label->Attach();
        label->SetLinkColors(QColor(238, 0, 0), QColor(0, 128, 0), QColor(0, 85, 170));
        QCOMPARE(label->TextColor(), QColor(238, 0, 0));
        MoveMouse(label, QPoint(2, 2));
        QVERIFY(label->IsHovering());
        QCOMPARE(label->TextColor(), QColor(0, 85, 170));
        Leave(label);
        QVERIFY(!label->IsHovering());
        QCOMPARE(label->TextColor(), QColor(238, 0, 0));
    }

    void visitedColourWinsOverHover() {
        CLinkLabel* label = MakeLabel("www.example.com");
        label->Attach();
        label->SetLinkColors(QColor(238, 0, 0), QColor(0, 128, 0), QColor(0, 85, 170));
        label->SetLinkVisited(true);
        MoveMouse(label, QPoint(2, 2));
        QVERIFY(label->IsHovering());
        QCOMPARE(label->TextColor(), QColor(0, 128, 0));
    }

    void hoverMinusOneTakesTheHighlightColourOfTheCall() {
        QPalette palette = QGuiApplication::palette();
        palette.setColor(QPalette::Highlight, QColor(10, 20, 30));
        QGuiApplication::setPalette(palette);

        CLinkLabel* label = MakeLabel("www.example.com");
        label->Attach();
        label->SetLinkColors(QColor(238, 0, 0), QColor(0, 128, 0), std::nullopt);

        // Changing the desktop's colour later does not change the stored one.
        palette.setColor(QPalette::Highlight, QColor(200, 100, 50));
        QGuiApplication::setPalette(palette);

        MoveMouse(label, QPoint(2, 2));
        QCOMPARE(label->TextColor(), QColor(10, 20, 30));

        // Any other value is used as it is.
        label->SetLinkColors(QColor(238, 0, 0), QColor(0, 128, 0), QColor(254, 255, 255));
        QCOMPARE(label->TextColor(), QColor(254, 255, 255));
    }

    void newLabelHoversInTheHighlightColour() {
        QPalette palette = QGuiApplication::palette();
        palette.setColor(QPalette::Highlight, QColor(1, 2, 3));
        QGuiApplication::setPalette(palette);
        CLinkLabel* label = MakeLabel("www.example.com");
        label->Attach();
        MoveMouse(label, QPoint(2, 2));
        QCOMPARE(label->TextColor(), QColor(1, 2, 3));
    }

    void textIsPaintedInTheCurrentColour() {
        CLinkLabel* label = MakeLabel("WWW.EXAMPLE.COM");
        QFont font = label->font();
        font.setPointSize(20);
        label->setFont(font);
        label->Attach();
        label->SetLinkColors(QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255));

        const QColor link = QColor(255, 0, 0);
        const QColor visited = QColor(0, 255, 0);
        QImage image = label->grab().toImage();
        QVERIFY(ImageHasColor(image, link));
        QVERIFY(!ImageHasColor(image, visited));

        label->SetLinkVisited(true);
        image = label->grab().toImage();
        QVERIFY(ImageHasColor(image, visited));
        QVERIFY(!ImageHasColor(image, link));
    }

    // --- hover tracking -----------------------------------------------------

    void movingOutWhileHeldEndsHover() {
        CLinkLabel* label = MakeLabel("www.example.com");
        label->Attach();
        MoveMouse(label, QPoint(1, 1));
        QVERIFY(label->IsHovering());
        MoveMouse(label, QPoint(2, 1), Qt::LeftButton);
        QVERIFY(label->IsHovering());
        MoveMouse(label, QPoint(-5, 1), Qt::LeftButton);
        QVERIFY(!label->IsHovering());
    }

    void successfulClickEndsHoverUntilTheNextMove() {
        FakeDesktop desktop;
        desktop.shellResult = kLaunchSucceeded;
        CLinkLabel* label = MakeLabel("www.example.com");
        label->SetServices(desktop.Services());
        label->Attach();
        MoveMouse(label, QPoint(2, 2));
        QVERIFY(label->IsHovering());
        Click(label, QPoint(2, 2));
        QVERIFY(label->IsLinkVisited());
        QVERIFY(!label->IsHovering());
        MoveMouse(label, QPoint(3, 2));
        QVERIFY(label->IsHovering());
    }

    // --- clicking and opening -----------------------------------------------

    void onlyALeftClickInsideOpens() {
        FakeDesktop desktop;
        desktop.shellResult = kLaunchSucceeded;
        CLinkLabel* label = MakeLabel("www.example.com");
        label->SetServices(desktop.Services());
        label->Attach();

        Click(label, QPoint(2, 2), Qt::RightButton);
        SendMouse(label, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton, Qt::LeftButton);
        SendMouse(label, QEvent::MouseButtonRelease, QPoint(2, -10), Qt::LeftButton, Qt::NoButton);
        QVERIFY(desktop.shellTargets.empty());
        QVERIFY(!label->IsLinkVisited());

        Click(label, QPoint(2, 2));
        QCOMPARE(desktop.shellTargets, std::vector<std::string>{"www.example.com"});
        QVERIFY(label->IsLinkVisited());

        // A double-click opens once (the window system sends a press and a
        // release, then a press, the double-click and a release); a release
        // without a press on the label opens nothing.
        Click(label, QPoint(2, 2));
        SendMouse(label, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton, Qt::LeftButton);
        SendMouse(label, QEvent::MouseButtonDblClick, QPoint(2, 2), Qt::LeftButton, Qt::LeftButton);
        SendMouse(label, QEvent::MouseButtonRelease, QPoint(2, 2), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(desktop.shellTargets.size(), std::size_t{2});
        SendMouse(label, QEvent::MouseButtonRelease, QPoint(2, 2), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(desktop.shellTargets.size(), std::size_t{2});
    }

    void shellSuccessNeedsNoFallback() {
        FakeDesktop desktop;
        desktop.shellResult = 42;
        desktop.browserCommand = "browser %1";
        CLinkLabel* label = MakeLabel("Mail us");
        label->SetServices(desktop.Services());
        label->Attach();
        label->SetTarget("mailto:maker@example.com");
        label->OnLinkClicked();
        QVERIFY(label->IsLinkVisited());
        QCOMPARE(desktop.events, std::vector<std::string>{"shell"});
        QCOMPARE(desktop.shellTargets, std::vector<std::string>{"mailto:maker@example.com"});
    }

    void fallbackRunsTheBrowserWithTheTargetAsOneArgument() {
        FakeDesktop desktop;
        desktop.browserCommand = "\"/opt/web browser/run\" --new-tab \"%1\"";
        desktop.runResult = kLaunchSucceeded;
        const QString target = "http://x/\"; rm -rf ~; echo $(id) `id`";
        CLinkLabel* label = MakeLabel("www.example.com");
        label->SetServices(desktop.Services());
        label->Attach();
        label->SetTarget(target);

        label->OnLinkClicked();
        QCOMPARE(desktop.events, (std::vector<std::string>{"shell", "browser", "run"}));
        QCOMPARE(desktop.runs.size(), std::size_t{1});
        QCOMPARE(desktop.runs[0], (std::vector<std::string>{"/opt/web browser/run", "--new-tab",
                                                            target.toStdString()}));
        QVERIFY(label->IsLinkVisited());
    }

    void failureBeepsThenShowsTheMessage_data() {
        QTest::addColumn<int>("shellResult");
        QTest::addColumn<QString>("browserCommand"); // empty: the desktop names none
        QTest::addColumn<int>("runResult");
        QTest::addColumn<int>("shownCode");
        QTest::addColumn<bool>("ran");
        QTest::newRow("no browser: the shell's code")
            << kErrNoAssociation << "" << 0 << kErrNoAssociation << false;
        QTest::newRow("browser fails: its code") << kErrNoAssociation << "browser \"%1\""
                                                 << kErrFileNotFound << kErrFileNotFound << true;
        QTest::newRow("code without a text") << 1 << "" << 0 << 1 << false;
        QTest::newRow("sharing violation")
            << kErrSharingViolation << "" << 0 << kErrSharingViolation << false;
        QTest::newRow("browser command names no program")
            << kErrNoAssociation << "\"%1\"" << 0 << kErrAssociationIncomplete << false;
        QTest::newRow("browser command with an open quote")
            << kErrNoAssociation << "browser \"--url=%1\"" << 0 << kErrAssociationIncomplete
            << false;
    }
    void failureBeepsThenShowsTheMessage() {
        QFETCH(int, shellResult);
        QFETCH(QString, browserCommand);
        QFETCH(int, runResult);
        QFETCH(int, shownCode);
        QFETCH(bool, ran);
        FakeDesktop desktop;
        desktop.shellResult = shellResult;
        if (!browserCommand.isEmpty()) {
            desktop.browserCommand = browserCommand.toStdString();
        }
        desktop.runResult = runResult;
        CLinkLabel* label = MakeLabel("www.example.com");
        label->SetServices(desktop.Services());
        label->Attach();

        label->OnLinkClicked();
        QVERIFY(!label->IsLinkVisited());
        std::vector<std::string> expected{"shell", "browser"};
        if (ran) {
            expected.push_back("run");
        }
        expected.push_back("beep");
        expected.push_back("message");
        QCOMPARE(desktop.events, expected);
        QCOMPARE(desktop.messages.size(), std::size_t{1});
        QCOMPARE(desktop.messages[0], QString::fromStdString(OpenErrorMessage(shownCode)));
        QCOMPARE(desktop.messageOwner, m_parent.get());
    }

    void exactFailureTexts() {
        FakeDesktop desktop;
        desktop.shellResult = kErrSharingViolation;
        CLinkLabel* label = MakeLabel("www.example.com");
        label->SetServices(desktop.Services());
        label->Attach();
        label->OnLinkClicked();
        desktop.shellResult = 1;
        label->OnLinkClicked();
        QCOMPARE(
            desktop.messages,
            (std::vector<QString>{"Unable to open hyperlink:\n\nA sharing violation occurred. ",
                                  "Unable to open hyperlink:\n\nUnknown Error (1) occurred."}));
    }

    void overlongCommandLineIsRefused() {
        FakeDesktop desktop;
        desktop.browserCommand = "browser \"%1\"";
        CLinkLabel* label = MakeLabel("www.example.com");
        label->SetServices(desktop.Services());
        label->Attach();

        // "browser" + blank + blank + target + zero: 515 characters fill 520 bytes.
        label->SetTarget(QString(510, QLatin1Char('a')));
        label->OnLinkClicked();
        QVERIFY(label->IsLinkVisited());
        QCOMPARE(desktop.runs.size(), std::size_t{1});

        label->SetTarget(QString(511, QLatin1Char('a')));
        label->OnLinkClicked();
        QCOMPARE(desktop.runs.size(), std::size_t{1});
        QCOMPARE(desktop.messages,
                 std::vector<QString>{QString::fromStdString(OpenErrorMessage(kErrNoAssociation))});
    }

    void visitedIsSetAnewByEveryClick() {
        FakeDesktop desktop;
        desktop.shellResult = kLaunchSucceeded;
        CLinkLabel* label = MakeLabel("www.example.com");
        label->SetServices(desktop.Services());
        label->Attach();
        label->OnLinkClicked();
        QVERIFY(label->IsLinkVisited());
        QCOMPARE(label->TextColor(), QColor(85, 26, 139));

        desktop.shellResult = kErrNoAssociation;
        label->OnLinkClicked();
        QVERIFY(!label->IsLinkVisited());
        QCOMPARE(label->TextColor(), QColor(0, 0, 238));
    }
};

int RunCLinkLabelTests(int argc, char** argv) {
    CLinkLabelTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "CLinkLabelTest.moc"
