// The dialog's scan control across threads: rows arriving while busy, a scan
// stopped by a new folder or by closing, and the end of a scan. A GoogleTest
// program with its own QApplication, so that the ThreadSanitizer run sees only
// the dialog's and the worker's threads (Qt Test's runner adds a watchdog
// thread whose handshakes happen inside uninstrumented Qt code).
#include "qt/CQuillbeyDlg.h"
#include "scan/CRomEntryList.h"
#include "tests/support/CLoadGate.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QtCore/qtestsupport_core.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace testing_support;

namespace {

constexpr int kScanTimeoutMs = 60000;

std::vector<std::uint8_t> Image(const HeaderFields& fields, std::size_t size = 1024) {
    return BuildImage(BuildHeader(fields), size);
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

QString NameField(const CQuillbeyDlg& dlg) {
    return dlg.DetailFields().front()->text();
}

void MoveFocusTo(CQuillbeyDlg& dlg, int row) {
    dlg.RomList()->selectionModel()->setCurrentIndex(dlg.RomListModel()->index(row, 0),
                                                     QItemSelectionModel::NoUpdate);
}

class DialogScanTest : public ::testing::Test {
protected:
    DialogScanTest() { qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_config.Path())); }

    std::string StoredSettings() const {
        std::ifstream in(m_config.Path() + "/quillbey/quillbey.ini");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static void FillSortFolder(const TempDir& dir) {
        dir.WriteFile("zeta.gba", Image({.title = "ZETA"}));
        dir.WriteFile("Alpha.gba", Image({.title = "ALPHA"}));
        dir.WriteFile("beta.GBA", Image({.title = "BETA"}));
        WriteZip(dir / "c.zip",
                 {{"readme.txt", TextBytes("hello")}, {"demo/b.agb", Image({.title = "DEMO B"})}});
    }

    static void FillBigFolder(const TempDir& dir) {
        const auto image = Image({}, 256);
        for (int i = 0; i < 20000; ++i) {
            dir.WriteFile("rom" + std::to_string(i) + ".gba", image);
        }
    }

    TempDir m_config;
};

} // namespace

TEST_F(DialogScanTest, ScanEndsSortedWithEveryRowOnItsEntry) {
    TempDir roms;
    FillSortFolder(roms);
    CQuillbeyDlg dlg;
    dlg.ChooseFolder(roms.Path());
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(RowTexts(dlg), (QStringList{"Alpha.gba", "beta.GBA", "demo/b.agb", "zeta.gba"}));
    ASSERT_EQ(g_romEntries.GetSize(), 4u);
    for (int row = 0; row < dlg.RomListModel()->rowCount(); ++row) {
        const CRomEntry* entry =
            g_romEntries.GetAt(static_cast<std::size_t>(dlg.RomListModel()->GetItemData(row)));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(QString::fromStdString(entry->GetDisplayName()), RowTexts(dlg)[row]);
    }
}

TEST_F(DialogScanTest, FocusChangesWhileBusyAreIgnored) {
    TempDir roms;
    roms.WriteFile("one.gba", Image({.title = "ONE"}));
    roms.WriteFile("two.gba", Image({.title = "TWO"}));
    CLoadGate gate(CLoadGate::Named("two.gba"));
    CQuillbeyDlg dlg;
    dlg.SetScanOptions(gate.Options(1));
    dlg.ChooseFolder(roms.Path());
    ASSERT_TRUE(gate.WaitUntilReached(std::chrono::seconds(60)));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return dlg.RomListModel()->rowCount() == 1; }, kScanTimeoutMs));
    EXPECT_TRUE(dlg.IsBusy()); // rows are shown while the scan still runs
    EXPECT_EQ(dlg.RomList()->cursor().shape(), Qt::BusyCursor);
    MoveFocusTo(dlg, 0);
    EXPECT_EQ(NameField(dlg), QString());
    gate.Release();
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(dlg.RomList()->cursor().shape(), Qt::ArrowCursor);
    // The end of the scan refreshes nothing; the next change does.
    EXPECT_EQ(NameField(dlg), QString());
    MoveFocusTo(dlg, 1);
    EXPECT_EQ(NameField(dlg), QStringLiteral("TWO"));
}

TEST_F(DialogScanTest, ChoosingAFolderMidScanStopsTheRunningScanFirst) {
    TempDir big;
    FillBigFolder(big);
    TempDir small;
    FillSortFolder(small);

    CQuillbeyDlg dlg;
    dlg.ChooseFolder(big.Path());
    QTest::qWait(20);
    dlg.ChooseFolder(small.Path()); // stops and joins the first scan
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(RowTexts(dlg), (QStringList{"Alpha.gba", "beta.GBA", "demo/b.agb", "zeta.gba"}));
    EXPECT_EQ(g_romEntries.GetSize(), 4u);
}

TEST_F(DialogScanTest, ClosingMidScanStopsTheWorkerAndStoresTheFolder) {
    TempDir big;
    FillBigFolder(big);
    CQuillbeyDlg dlg;
    dlg.ChooseFolder(big.Path());
    QTest::qWait(20);
    dlg.reject();
    EXPECT_FALSE(dlg.isVisible());
    // What the list shows never runs ahead of the entries behind it.
    EXPECT_LE(static_cast<std::size_t>(dlg.RomListModel()->rowCount()), g_romEntries.GetSize());
    EXPECT_NE(StoredSettings().find("Last Directory=" + big.Path() + "\n"), std::string::npos);
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
