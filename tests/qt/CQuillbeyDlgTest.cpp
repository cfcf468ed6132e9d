// The Qt dialog as a user meets it: its window and controls, the keys, the
// list and panel drawn from the core, the clipboard, a dropped folder or
// DAT, the rows' marks and tips, and the box that says the folder could not
// be stored. What the dialog decides is tested window-free, with its core.
#include "qt/CQuillbeyDlg.h"
#include "QuillbeyVersion.h"
#include "qt/CLinkLabel.h"
#include "qt/CRomListModel.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"
#include "ui/DatResultText.h"
#include "ui/RomDetailFields.h"
#include "ui/resource.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace testing_support;

namespace {

constexpr int kScanTimeoutMs = 60000;

std::vector<std::uint8_t> Image(const HeaderFields& fields) {
    return BuildImage(BuildHeader(fields), 1024);
}

bool WaitIdle(const CQuillbeyDlg& dlg) {
    return QTest::qWaitFor([&] { return !dlg.IsBusy(); }, kScanTimeoutMs);
}

QStringList RowTexts(const CQuillbeyDlg& dlg) {
    QStringList texts;
    for (int row = 0; row < dlg.RomListModel()->rowCount(); ++row) {
        texts << dlg.RomListModel()->index(row, 0).data().toString();
    }
    return texts;
}

QString AccessibleName(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

} // namespace

class CQuillbeyDlgTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> m_config;
    std::unique_ptr<TempDir> m_roms;

    // A DAT listing the sound image as a good dump.
    std::string WriteDat() const {
        const std::string crc = HexCrc32(Crc32Of(Image({.title = "FINE", .maker = "5X"})));
        return m_config->WriteText("gba.dat", "game ( name \"Fine Game\" rom ( name b.gba size "
                                              "1024 crc " +
                                                  crc + " ) )\n");
    }

    // Shows the dialog on a scanned folder of a sound image and one whose
    // complement is wrong and logo damaged.
    void ShowScanned(CQuillbeyDlg& dlg) {
        dlg.ChooseFolder(m_roms->Path());
        QVERIFY(WaitIdle(dlg));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QApplication::setActiveWindow(&dlg);
    }

private slots:
    void init() {
        m_config = std::make_unique<TempDir>();
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_config->Path()));
        m_roms = std::make_unique<TempDir>();
        m_roms->WriteFile("b-fine.gba", Image({.title = "FINE", .maker = "5X"}));
        m_roms->WriteFile("A-odd.gba",
                          Image({.title = "ODD", .logoIntact = false, .complementRight = false}));
    }

    void cleanup() {
        m_config.reset();
        m_roms.reset();
    }

    void windowAndControlsAreTheTemplates() {
        CQuillbeyDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.windowTitle(), QString::fromLatin1(kQuillbeyCaption));
        // An application window of its own: normal type, minimise box, no maximise.
        QCOMPARE(dlg.windowType(), Qt::Window);
        QVERIFY(dlg.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(dlg.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(dlg.windowHandle()->transientParent() == nullptr);
        // Tab order: browse button, list, then the value fields in template order.
        QApplication::setActiveWindow(&dlg);
        dlg.BrowseButton()->setFocus();
        for (QWidget* next : {static_cast<QWidget*>(dlg.RomList()),
                              static_cast<QWidget*>(dlg.DetailField(IDC_NAME)),
                              static_cast<QWidget*>(dlg.DetailField(IDC_VERSION))}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QCOMPARE(AccessibleName(dlg.RomList()), QStringLiteral("ROM images"));
        QCOMPARE(AccessibleName(dlg.FolderField()), QStringLiteral("Folder"));
        QCOMPARE(AccessibleName(dlg.BrowseButton()), QStringLiteral("Select Folder"));
        for (const RomDetailField& field : kRomDetailFields) {
            QLineEdit* value = dlg.DetailField(field.nControlId);
            QCOMPARE(AccessibleName(value),
                     QString::fromUtf8(field.Name().data(), qsizetype(field.Name().size())));
            const auto labels = dlg.findChildren<QLabel*>();
            QVERIFY(std::any_of(labels.begin(), labels.end(),
                                [value](QLabel* label) { return label->buddy() == value; }));
        }
        QVERIFY(!dlg.MailLink()->font().underline());
        QVERIFY(dlg.WebLink()->font().underline());
    }

    void enterOpensThePickerOnlyFromTheFocusedBrowseButtonAndEscapeCloses() {
        int asked = 0;
        CQuillbeyDlg dlg;
        dlg.SetFolderPicker([&asked](QWidget*) {
            ++asked;
            return std::optional<QString>();
        });
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QApplication::setActiveWindow(&dlg);
        for (QWidget* widget :
             {static_cast<QWidget*>(dlg.BrowseButton()), static_cast<QWidget*>(dlg.RomList()),
              static_cast<QWidget*>(dlg.LogoErrorBox())}) {
            widget->setFocus();
            QTest::keyClick(widget, Qt::Key_Return);
            QTest::keyClick(widget, Qt::Key_Enter, Qt::KeypadModifier);
            QVERIFY(dlg.isVisible());
        }
        QCOMPARE(asked, 2);
        QVERIFY(!dlg.BrowseButton()->isDefault());
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
    }

    void listAndPanelShowWhatTheCoreDecides() {
        CQuillbeyDlg dlg;
        dlg.ChooseFolder(m_roms->Path());
        QCOMPARE(dlg.RomList()->cursor().shape(), Qt::BusyCursor);
        ShowScanned(dlg);
        QCOMPARE(dlg.RomList()->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(RowTexts(dlg), (QStringList{"A-odd.gba", "b-fine.gba"}));
        // No DAT: no mark, and the tip is the name.
        QVERIFY(!dlg.RomListModel()->index(0, 0).data(Qt::DecorationRole).isValid());
        QCOMPARE(dlg.RomListModel()->index(0, 0).data(Qt::ToolTipRole).toString(), "A-odd.gba");
        QCOMPARE(dlg.FolderField()->cursorPosition(), 0); // a long path shows its start

        // The panel follows the focus, not the selection.
        dlg.RomList()->selectionModel()->setCurrentIndex(dlg.RomListModel()->index(0, 0),
                                                         QItemSelectionModel::NoUpdate);
        QVERIFY(dlg.RomList()->selectionModel()->selectedRows().isEmpty());
        QCOMPARE(dlg.DetailField(IDC_NAME)->text(), QStringLiteral("ODD"));
        QLineEdit* complement = dlg.DetailField(IDC_COMPLEMENT);
        QCOMPARE(complement->palette().color(QPalette::Text), QColor(255, 0, 0));
        QCOMPARE(complement->palette().color(QPalette::Base), QColor(192, 192, 192));
        // Read-only fields in the face colour.
        QCOMPARE(dlg.DetailField(IDC_NAME)->palette().color(QPalette::Base),
                 dlg.palette().color(QPalette::Window));
        QVERIFY(dlg.LogoErrorBox()->isChecked());
        QTest::mouseClick(dlg.LogoErrorBox(), Qt::LeftButton);
        QVERIFY(dlg.LogoErrorBox()->isChecked());

        QTest::keyClick(dlg.RomList(), Qt::Key_Down);
        QCOMPARE(dlg.DetailField(IDC_NAME)->text(), QStringLiteral("FINE"));
        QVERIFY(complement->palette().color(QPalette::Text) != QColor(255, 0, 0));
        QVERIFY(!dlg.LogoErrorBox()->isChecked());
        QTest::mouseClick(dlg.LogoErrorBox(), Qt::LeftButton);
        QVERIFY(!dlg.LogoErrorBox()->isChecked());
    }

    void copyPutsTheFocusedImagesDetailsOnTheClipboard() {
        CQuillbeyDlg dlg;
        ShowScanned(dlg);
        QApplication::clipboard()->clear();
        dlg.RomList()->setCurrentIndex(dlg.RomListModel()->index(1, 0));
        dlg.RomList()->setFocus();
        QTest::keySequence(dlg.RomList(), QKeySequence::Copy);
        const QString text = QApplication::clipboard()->text();
        QVERIFY2(text.startsWith(QStringLiteral("b-fine.gba\nInternal Name: FINE\n")),
                 qPrintable(text));
        QVERIFY(text.contains(QString::fromUtf8("Maker: Microïds\n")));
    }

    void droppingAFolderScansItAndAFileLoadsTheDat() {
        CQuillbeyDlg dlg;
        const auto drag = [&dlg](const std::string& path) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                                  Qt::NoModifier);
            enter.setAccepted(false);
            QApplication::sendEvent(&dlg, &enter);
            if (enter.isAccepted()) {
                QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                                Qt::NoModifier);
                QApplication::sendEvent(&dlg, &drop);
            }
            return enter.isAccepted();
        };
        QVERIFY(drag(WriteDat()));
        QVERIFY(!dlg.IsBusy());
        // Loaded off the window's thread; the dialog's own pump puts it in place.
        QVERIFY(QTest::qWaitFor([&] { return dlg.HasDat() && !dlg.IsChecking(); }, kScanTimeoutMs));
        QVERIFY(drag(m_roms->Path()));
        QCOMPARE(dlg.FolderField()->text(), QString::fromStdString(m_roms->Path()));
        QVERIFY(WaitIdle(dlg));
        QCOMPARE(dlg.RomListModel()->rowCount(), 2);
    }

    void rowsShowTheirMarkAndNameTheDatGameInTheirTip() {
        CQuillbeyDlg dlg({m_roms->Path(), WriteDat()});
        QVERIFY(
            QTest::qWaitFor([&] { return !dlg.IsBusy() && !dlg.IsChecking(); }, kScanTimeoutMs));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QModelIndex odd = dlg.RomListModel()->index(0, 0);
        const QModelIndex fine = dlg.RomListModel()->index(1, 0);
        QCOMPARE(fine.data(Qt::ToolTipRole).toString(), "b-fine.gba\ngood: Fine Game");
        // The list draws each mark at the left of its row: a green disc for
        // the good dump, a red square for the image whose header is at fault.
        QWidget* viewport = dlg.RomList()->viewport();
        const QImage shown = viewport->grab().toImage();
        for (const auto& [index, colour] :
             {std::pair{fine, QColor(0x2E9E3A)}, std::pair{odd, QColor(0xD62828)}}) {
            const QRect row = dlg.RomList()->visualRect(index);
            const int y = row.center().y() * shown.height() / viewport->height();
            bool found = false;
            for (int x = row.left(); x < row.left() + 20 && !found; ++x) {
                found = shown.pixelColor(x * shown.width() / viewport->width(), y) == colour;
            }
            QVERIFY2(found, qPrintable(index.data().toString()));
        }
    }

    void aFolderThatCannotBeStoredIsShownInABoxBeforeTheWindowCloses() {
        m_config->WriteText("quillbey", "a file where the settings folder belongs\n");
        CQuillbeyDlg dlg;
        ShowScanned(dlg);
        QString title;
        QString text;
        bool shownWhileOpen = false;
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr);
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            title = box->windowTitle();
            text = box->text();
            shownWhileOpen = dlg.isVisible();
            box->accept();
        });
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(title, QString::fromLatin1(kQuillbeyCaption));
        QVERIFY2(text.contains(QString::fromStdString(m_config->Path() + "/quillbey/quillbey.ini")),
                 qPrintable(text));
        QVERIFY(shownWhileOpen);
    }
};

QTEST_MAIN(CQuillbeyDlgTest)
#include "CQuillbeyDlgTest.moc"
