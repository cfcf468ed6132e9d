// The main dialog driven as a user would: first run, browsing, sorting,
// following the focus, the details panel, settings and stopping scans.
#include "qt/CQuillbeyDlg.h"
#include "QuillbeyVersion.h"
#include "ui/CProfileIni.h"
#include "ui/RomDetailFields.h"
#include "cli/CJsonReportWriter.h"
#include "qt/CLinkLabel.h"
#include "scan/CRomEntryList.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QListView>
#include <QWindow>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

using namespace testing_support;

namespace {

constexpr int kScanTimeoutMs = 60000;

std::vector<std::uint8_t> Image(const HeaderFields& fields, std::size_t size = 1024) {
    return BuildImage(BuildHeader(fields), size);
}

// A header whose stored complement is 0x1F while its bytes call for 0x2A.
std::vector<std::uint8_t> ComplementOneFImage(bool damagedLogo) {
    CartridgeHeader header = BuildHeader({.title = "ODD ONE", .logoIntact = !damagedLogo});
    header[0xBC] = 0; // version
    // Adjust the unit-code byte until the bytes call for 0x2A.
    for (int unit = 0; unit < 256; ++unit) {
        header[0xB3] = static_cast<std::uint8_t>(unit);
        if (ReferenceComplement(header) == 0x2A) {
            break;
        }
    }
    header[0xBD] = 0x1F;
    return BuildImage(header, 2048);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

QStringList RowTexts(const CQuillbeyDlg& dlg) {
    QStringList texts;
    const CRomListModel* model = dlg.RomListModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        texts << model->index(row, 0).data().toString();
    }
    return texts;
}

QStringList FieldTexts(const CQuillbeyDlg& dlg) {
    QStringList texts;
    for (const QLineEdit* field : dlg.DetailFields()) {
        texts << field->text();
    }
    return texts;
}

bool WaitIdle(const CQuillbeyDlg& dlg) {
    return QTest::qWaitFor([&] { return !dlg.IsBusy(); }, kScanTimeoutMs);
}

// A picker that answers with a fixed folder, or cancels.
CQuillbeyDlg::FolderPicker Answer(std::optional<QString> folder) {
    return [folder](QWidget*) { return folder; };
}

} // namespace

class CQuillbeyDlgTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempDir> m_config;

    std::string SettingsPath() const { return m_config->Path() + "/quillbey/quillbey.ini"; }

    void WriteSettings(const std::string& text) const {
        m_config->MakeSubdir("quillbey");
        m_config->WriteText("quillbey/quillbey.ini", text);
    }

    // A folder with three plain images (unsorted names) and an archive.
    void FillSortFolder(const TempDir& dir) const {
        dir.WriteFile("zeta.gba", Image({.title = "ZETA"}));
        dir.WriteFile("Alpha.gba", Image({.title = "ALPHA"}));
        dir.WriteFile("beta.GBA", Image({.title = "BETA"}));
        WriteZip(dir / "c.zip",
                 {{"readme.txt", TextBytes("hello")}, {"demo/b.agb", Image({.title = "DEMO B"})}});
    }

    void MoveFocusTo(CQuillbeyDlg& dlg, int row) {
        // Moves only the focus, as Ctrl+arrow keys do, leaving the selection alone.
        dlg.RomList()->selectionModel()->setCurrentIndex(dlg.RomListModel()->index(row, 0),
                                                         QItemSelectionModel::NoUpdate);
    }

private slots:
    void init() {
        m_config = std::make_unique<TempDir>();
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_config->Path()));
    }

    void cleanup() { m_config.reset(); }

    void firstRunStartsEmptyAndEscapeStoresTheFolder() {
        CQuillbeyDlg dlg;
        dlg.SetFolderPicker(Answer(std::nullopt));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.windowTitle(), QString::fromLatin1(kQuillbeyCaption));
        // An application window of its own: normal type, minimise box, no maximise.
        QCOMPARE(dlg.windowType(), Qt::Window);
        QVERIFY(dlg.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(dlg.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(dlg.windowHandle()->transientParent() == nullptr);
        QCOMPARE(dlg.FolderField()->text(), QString());
        QCOMPARE(dlg.RomListModel()->rowCount(), 0);
        for (const QString& text : FieldTexts(dlg)) {
            QCOMPARE(text, QString());
        }
        QVERIFY(!dlg.LogoErrorBox()->isChecked());
        QVERIFY(!dlg.IsBusy());

        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        const std::string stored = ReadText(SettingsPath());
        QVERIFY(stored.find("[Settings]\n") != std::string::npos);
        QVERIFY(stored.find("Last Directory=\n") != std::string::npos);
        QVERIFY(stored.find("%20") == std::string::npos);
    }

    void enterOpensThePickerOnlyFromTheFocusedBrowseButton() {
        int asked = 0;
        CQuillbeyDlg dlg;
        dlg.SetFolderPicker([&asked](QWidget*) {
            ++asked;
            return std::optional<QString>();
        });
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QApplication::setActiveWindow(&dlg);
        const auto pressEnterIn = [&](QWidget* widget) {
            widget->setFocus();
            QTest::keyClick(widget, Qt::Key_Return);
            QTest::keyClick(widget, Qt::Key_Enter, Qt::KeypadModifier);
        };
        pressEnterIn(dlg.BrowseButton());
        QCOMPARE(asked, 2);
        QTest::keyClick(dlg.BrowseButton(), Qt::Key_Space);
        QCOMPARE(asked, 3);
        // Having had the focus did not make it the default button.
        const std::vector<QWidget*> others = {dlg.RomList(), dlg.LogoErrorBox(),
                                              dlg.DetailFields().front()};
        for (QWidget* widget : others) {
            pressEnterIn(widget);
            QCOMPARE(asked, 3);
            QVERIFY(dlg.isVisible());
        }
        QVERIFY(!dlg.BrowseButton()->isDefault());
    }

    void browsingShowsSortedRowsWithMatchingItemData() {
        TempDir roms;
        FillSortFolder(roms);
        CQuillbeyDlg dlg;
        dlg.SetFolderPicker(Answer(QString::fromStdString(roms.Path())));
        dlg.BrowseButton()->click();
        QCOMPARE(dlg.FolderField()->text(), QString::fromStdString(roms.Path()));
        QVERIFY(WaitIdle(dlg));
        QCOMPARE(RowTexts(dlg), (QStringList{"Alpha.gba", "beta.GBA", "demo/b.agb", "zeta.gba"}));
        QCOMPARE(g_romEntries.GetSize(), std::size_t{4});
        for (int row = 0; row < dlg.RomListModel()->rowCount(); ++row) {
            const CRomEntry* entry =
                g_romEntries.GetAt(static_cast<std::size_t>(dlg.RomListModel()->GetItemData(row)));
            QVERIFY(entry != nullptr);
            QCOMPARE(QString::fromStdString(entry->GetDisplayName()), RowTexts(dlg)[row]);
        }
        // Scan order was grouped by extension: the archive's entry came last.
        QCOMPARE(dlg.RomListModel()->GetItemData(2), 3);
    }

    void cancellingTheBrowserKeepsEverything() {
        TempDir roms;
        FillSortFolder(roms);
        CQuillbeyDlg dlg;
        dlg.SetFolderPicker(Answer(QString::fromStdString(roms.Path())));
        dlg.BrowseButton()->click();
        QVERIFY(WaitIdle(dlg));
        MoveFocusTo(dlg, 0);
        const QStringList fields = FieldTexts(dlg);
        const QStringList rows = RowTexts(dlg);

        dlg.SetFolderPicker(Answer(std::nullopt));
        dlg.BrowseButton()->click();
        QVERIFY(!dlg.IsBusy());
        QCOMPARE(RowTexts(dlg), rows);
        QCOMPARE(FieldTexts(dlg), fields);
        QCOMPARE(dlg.FolderField()->text(), QString::fromStdString(roms.Path()));
    }

    void panelFollowsTheFocusNotTheSelection() {
        TempDir roms;
        roms.WriteFile("a-both.gba", ComplementOneFImage(true));
        roms.WriteFile("b-fine.gba", Image({.title = "FINE",
                                            .gameCode = "AQBE",
                                            .maker = "5X",
                                            .unitCode = 0x01,
                                            .deviceType = 0x80,
                                            .version = 10},
                                           1572864));
        roms.WriteFile("c-nofixed.gba",
                       Image({.title = "NOFIXED", .fixedValue = 0x95, .logoIntact = false}));
        CQuillbeyDlg dlg;
        dlg.ChooseFolder(roms.Path());
        QVERIFY(WaitIdle(dlg));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        // Select the second row, then move only the focus to the first.
        dlg.RomList()->setCurrentIndex(dlg.RomListModel()->index(1, 0));
        MoveFocusTo(dlg, 0);
        QCOMPARE(dlg.RomList()->selectionModel()->selectedRows().front().row(), 1);
        QCOMPARE(FieldTexts(dlg)[0], QStringLiteral("ODD ONE"));
        QCOMPARE(dlg.ComplementField()->text(), QStringLiteral("1Fh (2Ah)"));
        QVERIFY(dlg.IsComplementHighlighted());
        QCOMPARE(dlg.ComplementField()->palette().color(QPalette::Text), QColor(255, 0, 0));
        QCOMPARE(dlg.ComplementField()->palette().color(QPalette::Base), QColor(192, 192, 192));
        // The other read-only fields show the dialog's face colour.
        QCOMPARE(dlg.DetailFields()[0]->palette().color(QPalette::Base),
                 dlg.palette().color(QPalette::Window));
        QVERIFY(dlg.LogoErrorBox()->isChecked());

        // Keyboard focus move without selecting.
        dlg.RomList()->setFocus();
        QTest::keyClick(dlg.RomList(), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(dlg.RomList()->currentIndex().row(), 1);
        QCOMPARE(FieldTexts(dlg),
                 (QStringList{"FINE", "1.10", "AGB-AQBE-USA", QString::fromUtf8("Microïds"),
                              "8 MBit = 1 MByte", "01h", "80h", FieldTexts(dlg)[7], "N/A"}));
        QVERIFY(!dlg.IsComplementHighlighted());
        QVERIFY(dlg.ComplementField()->palette().color(QPalette::Text) != QColor(255, 0, 0));
        QVERIFY(!dlg.LogoErrorBox()->isChecked());

        // A header whose fixed byte is not 0x96 shows nothing, flags or not.
        MoveFocusTo(dlg, 2);
        for (const QString& text : FieldTexts(dlg)) {
            QCOMPARE(text, QString());
        }
        QVERIFY(!dlg.LogoErrorBox()->isChecked());
    }

    void logoErrorBoxCannotBeChangedByTheUser() {
        TempDir roms;
        roms.WriteFile("both.gba", ComplementOneFImage(true));
        roms.WriteFile("fine.gba", Image({}));
        CQuillbeyDlg dlg;
        dlg.ChooseFolder(roms.Path());
        QVERIFY(WaitIdle(dlg));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        for (const int row : {0, 1}) {
            MoveFocusTo(dlg, row);
            const bool ticked = dlg.LogoErrorBox()->isChecked();
            QCOMPARE(ticked, row == 0);
            QTest::mouseClick(dlg.LogoErrorBox(), Qt::LeftButton);
            QCOMPARE(dlg.LogoErrorBox()->isChecked(), ticked);
            QTest::keyClick(dlg.LogoErrorBox(), Qt::Key_Space);
            QCOMPARE(dlg.LogoErrorBox()->isChecked(), ticked);
        }
    }

    void trailingSeparatorIsDroppedForTheScanAndTheStoredFolder() {
        TempDir roms;
        roms.WriteFile("x.gba", Image({}));
        {
            CQuillbeyDlg dlg;
            dlg.ChooseFolder(roms.Path() + "/");
            QCOMPARE(dlg.FolderField()->text(), QString::fromStdString(roms.Path() + "/"));
            QCOMPARE(dlg.FolderField()->cursorPosition(), 0); // a long path shows its start
            QVERIFY(WaitIdle(dlg));
            QCOMPARE(dlg.RomListModel()->rowCount(), 1);
            MoveFocusTo(dlg, 0);
            QCOMPARE(dlg.FolderField()->text(), QString::fromStdString(roms.Path()));
            dlg.reject();
        }
        QVERIFY(ReadText(SettingsPath()).find("Last Directory=" + roms.Path() + "\n") !=
                std::string::npos);
        {
            CQuillbeyDlg dlg;
            dlg.ChooseFolder("/");
            QVERIFY(WaitIdle(dlg));
            QCOMPARE(dlg.FolderField()->text(), QStringLiteral("/"));
            dlg.reject();
        }
        QVERIFY(ReadText(SettingsPath()).find("Last Directory=/\n") != std::string::npos);
    }

    void storedFolderIsShownAndScannedAndOtherKeysAreKept() {
        TempDir roms;
        FillSortFolder(roms);
        WriteSettings("; kept comment\n[Other]\nKey=Value\n[Settings]\nLast Directory=" +
                      roms.Path() + "\nExtra=1\n");
        {
            CQuillbeyDlg dlg;
            QCOMPARE(dlg.FolderField()->text(), QString::fromStdString(roms.Path()));
            QVERIFY(WaitIdle(dlg));
            QCOMPARE(dlg.RomListModel()->rowCount(), 4);
            dlg.reject();
        }
        const std::string stored = ReadText(SettingsPath());
        QCOMPARE(stored, "; kept comment\n[Other]\nKey=Value\n[Settings]\nLast Directory=" +
                             roms.Path() + "\nExtra=1\n");
    }

    void missingStoredFolderIsNotShownButNotErased() {
        WriteSettings("[Settings]\nLast Directory=/no/such/folder/anywhere\n");
        {
            CQuillbeyDlg dlg;
            QCOMPARE(dlg.FolderField()->text(), QString());
            QVERIFY(!dlg.IsBusy());
            dlg.reject();
        }
        QCOMPARE(ReadText(SettingsPath()),
                 std::string("[Settings]\nLast Directory=/no/such/folder/anywhere\n"));
    }

    void startFolderArgumentWinsOverTheStoredOne() {
        TempDir stored;
        TempDir given;
        given.WriteFile("given.gba", Image({}));
        WriteSettings("[Settings]\nLast Directory=" + stored.Path() + "\n");
        CQuillbeyDlg dlg(given.Path());
        QCOMPARE(dlg.FolderField()->text(), QString::fromStdString(given.Path()));
        QVERIFY(WaitIdle(dlg));
        QCOMPARE(RowTexts(dlg), QStringList{"given.gba"});
    }

    void droppingAFolderScansItAsIfBrowsed() {
        TempDir roms;
        FillSortFolder(roms);
        CQuillbeyDlg dlg;
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(roms.Path()))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&dlg, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dlg, &drop);
        QCOMPARE(dlg.FolderField()->text(), QString::fromStdString(roms.Path()));
        QVERIFY(WaitIdle(dlg));
        QCOMPARE(dlg.RomListModel()->rowCount(), 4);

        // A file is not a folder: nothing is accepted or changed.
        QMimeData file;
        file.setUrls({QUrl::fromLocalFile(QString::fromStdString(roms / "zeta.gba"))});
        QDragEnterEvent enterFile(QPoint(10, 10), Qt::CopyAction, &file, Qt::LeftButton,
                                  Qt::NoModifier);
        enterFile.setAccepted(false);
        QApplication::sendEvent(&dlg, &enterFile);
        QVERIFY(!enterFile.isAccepted());
    }

    void copyPutsTheFocusedImagesDetailsOnTheClipboard() {
        TempDir roms;
        roms.WriteFile("only.gba", Image({.title = "CLIPPED", .maker = "5X"}));
        CQuillbeyDlg dlg;
        dlg.ChooseFolder(roms.Path());
        QVERIFY(WaitIdle(dlg));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QApplication::clipboard()->clear();
        MoveFocusTo(dlg, 0);
        dlg.RomList()->setFocus();
        QTest::keySequence(dlg.RomList(), QKeySequence::Copy);
        const QString text = QApplication::clipboard()->text();
        QVERIFY(text.startsWith(QStringLiteral("only.gba\n")));
        QVERIFY(text.contains(QStringLiteral("Internal Name: CLIPPED\n")));
        QVERIFY(text.contains(QString::fromUtf8("Maker: Microïds\n")));
        QVERIFY(text.contains(QStringLiteral("Logo Error: no\n")));
    }

    // The panel, the copied text and the command line's JSON all read one
    // field description: for every field of every kind of entry they agree,
    // and a screen reader names each field by its label.
    void panelCopiedTextAndJsonShowTheSameNineValues() {
        TempDir roms;
        roms.WriteFile("a-both.gba", ComplementOneFImage(true));
        roms.WriteFile("b-fine.agb", Image({.title = "FINE", .maker = "BL", .version = 255}));
        roms.WriteFile("c-nofixed.bin", Image({.fixedValue = 0x95}));
        WriteZip(roms / "d.zip", {{"d-zipped.gba", Image({.title = "ZIPPED", .maker = "5X"})}});
        CQuillbeyDlg dlg;
        dlg.ChooseFolder(roms.Path());
        QVERIFY(WaitIdle(dlg));
        QCOMPARE(dlg.RomListModel()->rowCount(), 4);
        for (int row = 0; row < 4; ++row) {
            MoveFocusTo(dlg, row);
            const std::int32_t itemData = dlg.RomListModel()->GetItemData(row);
            const CRomEntry& entry = *g_romEntries.GetAt(static_cast<std::size_t>(itemData));
            const std::string copied = FormatRomDetailsText(entry);
            const auto json = nlohmann::json::parse(CJsonReportWriter::EntryJson({&entry, 0, nullptr}));
            for (const RomDetailField& field : kRomDetailFields) {
                const QLineEdit* shown = dlg.DetailField(field.nControlId);
                const std::string value = shown->text().toStdString();
                QCOMPARE(json["details"][std::string(field.key)].get<std::string>(), value);
                const std::string line = std::string(field.label) + " " + value + "\n";
                QVERIFY2(copied.find(line) != std::string::npos, line.c_str());
                QCOMPARE(QAccessible::queryAccessibleInterface(const_cast<QLineEdit*>(shown))
                             ->text(QAccessible::Name),
                         QString::fromStdString(std::string(field.Name())));
            }
        }
    }

    void linkLabelsAreSetUpAsTheDialogWants() {
        CQuillbeyDlg dlg;
        QVERIFY(dlg.MailLink()->toolTip().startsWith(QStringLiteral("mailto:")));
        QVERIFY(!dlg.MailLink()->font().underline());
        QVERIFY(dlg.WebLink()->font().underline());
        QCOMPARE(dlg.WebLink()->toolTip(), dlg.WebLink()->text());
    }
};

QTEST_MAIN(CQuillbeyDlgTest)
#include "CQuillbeyDlgTest.moc"
