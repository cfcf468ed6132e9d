// The main dialog's behaviour without a window, as both dialogs show it:
// start and stored folders, choosing and scanning, the sort at the end, the
// panel following the focus, the "Logo Error" box, copying, dropping, and
// storing the folder at close, or saying why it could not be stored; a DAT
// loaded at start or dropped, each row's mark and tip, the check in the
// background and its stop, and the DAT stored beside the folder.
#include "ui/CQuillbeyDlgCore.h"
#include "QuillbeyVersion.h"
#include "romio/CFileSystem.h"
#include "scan/CRomEntryList.h"
#include "tests/support/CLoadGate.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"
#include "ui/CEntryChecker.h"
#include "ui/DatResultText.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>

using namespace testing_support;

namespace {

// Records what the core asks its view to show.
class CFakeView : public IQuillbeyDlgView {
public:
    void UpdateData(const QuillbeyDlgTexts& texts) override { shown = texts; }
    void ShowRows(RowChange change, int count, const std::vector<int>& newRowOf) override {
        changes.push_back(change);
        rowCount = count;
        lastNewRowOf = newRowOf;
    }
    void SetBusy(bool isBusy) override { busy = isBusy; }
    void SetChecking(bool isChecking) override { checking = isChecking; }
    void UpdateRowMarks() override { ++markUpdates; }
    void SetLogoErrorTick(bool ticked) override { tick = ticked; }
    void CopyToClipboard(const std::string& text) override { clipboard = text; }
    void ShowError(const std::string& caption, const std::string& text) override {
        errors.push_back(caption + "|" + text);
    }

    QuillbeyDlgTexts shown;
    std::vector<RowChange> changes;
    int rowCount = 0;
    std::vector<int> lastNewRowOf;
    bool busy = false;
    bool checking = false;
    int markUpdates = 0;
    std::optional<bool> tick;
    std::string clipboard;
    std::vector<std::string> errors;
};

std::vector<std::uint8_t> Image(const HeaderFields& fields) {
    return BuildImage(BuildHeader(fields), 1024);
}

// Three plain images with unsorted names, and an archive shown by its entry.
void FillSortFolder(const TempDir& dir) {
    dir.WriteFile("zeta.gba", Image({.title = "ZETA"}));
    dir.WriteFile("Alpha.gba", Image({.title = "ALPHA", .logoIntact = false}));
    dir.WriteFile("beta.GBA", Image({.title = "BETA", .complementRight = false}));
    WriteZip(dir / "c.zip",
             {{"readme.txt", TextBytes("hello")}, {"demo/b.agb", Image({.title = "DEMO B"})}});
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A bad dump, a good image whose logo is damaged, a good plain image, an
// unknown one and a good archive entry; and a DAT listing all but the unknown.
std::string FillDatFolder(const TempDir& roms, const TempDir& dats) {
    const auto bad = Image({.title = "BAD"});
    const auto faulty = Image({.title = "FAULTY", .logoIntact = false});
    const auto good = Image({.title = "GOOD"});
    const auto zipped = Image({.title = "ZIPPED"});
    roms.WriteFile("bad.gba", bad);
    roms.WriteFile("faulty.gba", faulty);
    roms.WriteFile("good.gba", good);
    roms.WriteFile("unknown.gba", Image({.title = "UNKNOWN"}));
    WriteZip(roms / "z.zip", {{"z.gba", zipped}});
    std::string dat = "<datafile>";
    for (const auto& [game, image, status] :
         {std::tuple{"Bad Game", &bad, "baddump"}, std::tuple{"Faulty Game", &faulty, "good"},
          std::tuple{"Good Game", &good, "verified"}, std::tuple{"Zipped Game", &zipped, "good"}}) {
        dat += std::string("<game name=\"") + game + "\"><rom name=\"x.gba\" size=\"1024\" crc=\"" +
               HexCrc32(Crc32Of(*image)) + "\" status=\"" + status + "\"/></game>";
    }
    return dats.WriteText("gba.xml", dat + "</datafile>");
}

class DialogCoreTest : public testing::Test {
protected:
    DialogCoreTest() : m_core(m_view, {m_config / "quillbey.ini", {}}) {}

    // Pumps as the dialog's timer does until the scan and the sort are over.
    void WaitIdle() {
        for (int tick = 0; tick < 6000 && m_core.IsBusy(); ++tick) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            m_core.OnTimer();
        }
        ASSERT_FALSE(m_core.IsBusy());
        ASSERT_FALSE(m_view.busy);
    }
    // The same, until the check after the scan is over too.
    static void WaitChecked(CQuillbeyDlgCore& core) {
        for (int tick = 0; tick < 6000 && (core.IsBusy() || core.IsChecking()); ++tick) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            core.OnTimer();
        }
        ASSERT_FALSE(core.IsChecking());
    }
    std::vector<RowMark> Marks() const {
        std::vector<RowMark> marks;
        for (int row = 0; row < m_core.GetRowCount(); ++row) {
            marks.push_back(m_core.GetRowMark(row));
        }
        return marks;
    }

    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int row = 0; row < m_core.GetRowCount(); ++row) {
            std::string scratch;
            rows.emplace_back(m_core.RowText(row, scratch));
        }
        return rows;
    }

    std::string SettingsText() const { return ReadText(m_config / "quillbey.ini"); }

    TempDir m_config;
    TempDir m_roms;
    CFakeView m_view;
    CQuillbeyDlgCore m_core;
};

} // namespace

TEST_F(DialogCoreTest, FirstRunStartsEmptyAndStoresAnEmptyFolder) {
    m_core.OnInitDialog();
    EXPECT_EQ(m_view.shown.strFolder, "");
    EXPECT_EQ(m_view.shown.values, decltype(m_view.shown.values){});
    EXPECT_FALSE(m_view.shown.bLogoError);
    EXPECT_FALSE(m_core.IsBusy());
    EXPECT_EQ(m_core.GetRowCount(), 0);
    m_core.OnDestroy();
    EXPECT_EQ(SettingsText(), "[Settings]\nLast Directory=\n");
    EXPECT_TRUE(m_view.errors.empty());
}

TEST_F(DialogCoreTest, ScanShowsSortedRowsOnTheirEntriesAndStoresTheFolder) {
    FillSortFolder(m_roms);
    m_core.OnInitDialog();
    m_core.OnBrowse(m_roms.Path());
    EXPECT_EQ(m_view.shown.strFolder, m_roms.Path());
    EXPECT_TRUE(m_view.busy);
    WaitIdle();
    EXPECT_EQ(Rows(),
              (std::vector<std::string>{"Alpha.gba", "beta.GBA", "demo/b.agb", "zeta.gba"}));
    ASSERT_EQ(g_romEntries.GetSize(), 4u);
    for (int row = 0; row < 4; ++row) {
        const CRomEntry* entry =
            g_romEntries.GetAt(static_cast<std::size_t>(m_core.GetItemData(row)));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->GetDisplayName(), Rows()[static_cast<std::size_t>(row)]);
    }
    // The view heard of every row, and learnt where each went in the sort.
    EXPECT_EQ(m_view.changes.front(), IQuillbeyDlgView::RowChange::Cleared);
    EXPECT_EQ(m_view.changes.back(), IQuillbeyDlgView::RowChange::Reordered);
    EXPECT_EQ(m_view.rowCount, 4);
    ASSERT_EQ(m_view.lastNewRowOf.size(), 4u);
    std::vector<int> seen(4, 0);
    for (int newRow : m_view.lastNewRowOf) {
        ASSERT_GE(newRow, 0);
        ++seen[static_cast<std::size_t>(newRow)];
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 1, 1, 1}));

    m_core.OnBrowse(std::nullopt); // cancelled: nothing changes
    EXPECT_EQ(m_core.GetRowCount(), 4);
    EXPECT_FALSE(m_core.IsBusy());
    m_core.OnDestroy();
    EXPECT_EQ(SettingsText(), "[Settings]\nLast Directory=" + m_roms.Path() + "\n");
}

TEST_F(DialogCoreTest, PanelFollowsTheFocusedRowOnlyOnceTheScanIsOver) {
    FillSortFolder(m_roms);
    m_core.OnInitDialog();
    m_core.ChooseFolder(m_roms.Path());
    m_core.OnItemChangedRomList(0); // busy: ignored
    EXPECT_EQ(m_view.shown.values[0], "");
    WaitIdle();
    EXPECT_EQ(m_view.shown.values[0], ""); // the end of a scan does not refresh the panel

    m_core.OnItemChangedRomList(0); // Alpha.gba: logo damaged
    EXPECT_EQ(m_view.shown.values[0], "ALPHA");
    EXPECT_TRUE(m_view.shown.bLogoError);
    EXPECT_FALSE(m_view.shown.bHighlightComplement);
    m_core.OnLogoErrorClicked(); // a click cannot change the box
    EXPECT_EQ(m_view.tick, true);

    m_core.OnItemChangedRomList(1); // beta.GBA: complement wrong
    EXPECT_EQ(m_view.shown.values[0], "BETA");
    EXPECT_FALSE(m_view.shown.bLogoError);
    EXPECT_TRUE(m_view.shown.bHighlightComplement);
    EXPECT_NE(m_view.shown.values[7].find(" ("), std::string::npos); // "%02Xh (%02Xh)"
    m_core.OnLogoErrorClicked();
    EXPECT_EQ(m_view.tick, false);

    m_core.OnItemChangedRomList(-1); // no focused row: the panel stays
    EXPECT_EQ(m_view.shown.values[0], "BETA");

    m_core.OnCopy(1);
    EXPECT_EQ(m_view.clipboard.rfind("beta.GBA\nInternal Name: BETA\n", 0), 0u) << m_view.clipboard;
}

TEST_F(DialogCoreTest, ChosenFolderLosesItsTrailingSeparatorOnceAFieldIsShownAgain) {
    m_roms.WriteFile("a.gba", Image({}));
    const std::string chosen = m_roms.Path() + CFileSystem::kSeparator;
    m_core.OnInitDialog();
    m_core.ChooseFolder(chosen);
    EXPECT_EQ(m_view.shown.strFolder, chosen); // as chosen, until the next exchange
    WaitIdle();
    EXPECT_EQ(m_core.GetRowCount(), 1);
    m_core.OnItemChangedRomList(0);
    EXPECT_EQ(m_view.shown.strFolder, m_roms.Path());
    m_core.OnDestroy();
    EXPECT_NE(SettingsText().find("Last Directory=" + m_roms.Path() + "\n"), std::string::npos);
}

TEST_F(DialogCoreTest, StartFolderBeatsTheStoredOneAndOtherLinesAreKept) {
    TempDir other;
    other.WriteFile("x.gba", Image({}));
    m_roms.WriteFile("a.gba", Image({}));
    m_config.WriteText("quillbey.ini",
                       "; mine\r\n[Settings]\r\nLast Directory=" + m_roms.Path() + "\r\nK=v\r\n");
    {
        CQuillbeyDlgCore stored(m_view, {m_config / "quillbey.ini", {}});
        stored.OnInitDialog();
        EXPECT_EQ(m_view.shown.strFolder, m_roms.Path());
        EXPECT_TRUE(stored.IsBusy());
    }
    CQuillbeyDlgCore started(m_view, {m_config / "quillbey.ini", {}}, {other.Path(), std::nullopt});
    started.OnInitDialog();
    EXPECT_EQ(m_view.shown.strFolder, other.Path());
    started.OnDestroy();
    EXPECT_EQ(SettingsText(),
              "; mine\r\n[Settings]\r\nLast Directory=" + other.Path() + "\r\nK=v\r\n");
}

TEST_F(DialogCoreTest, StoredFolderThatIsGoneIsNotScannedButKept) {
    const std::string gone = m_roms / "gone";
    m_config.WriteText("quillbey.ini", "[Settings]\nLast Directory=" + gone + "\n");
    m_core.OnInitDialog();
    EXPECT_EQ(m_view.shown.strFolder, "");
    EXPECT_FALSE(m_core.IsBusy());
    m_core.OnDestroy();
    EXPECT_EQ(SettingsText(), "[Settings]\nLast Directory=" + gone + "\n");
}

TEST_F(DialogCoreTest, OnlyASingleDroppedFolderIsTaken) {
    m_roms.WriteFile("a.gba", Image({}));
    const std::string file = m_roms / "a.gba";
    m_core.OnInitDialog();
    EXPECT_TRUE(m_core.OnDrop({file})); // tried as a DAT, which it is not
    WaitChecked(m_core);
    EXPECT_FALSE(m_core.HasDat());
    EXPECT_EQ(m_view.errors.size(), 1u);
    EXPECT_FALSE(m_core.OnDrop({m_roms.Path(), m_roms.Path()}));
    EXPECT_FALSE(m_core.OnDrop({}));
    EXPECT_FALSE(m_core.IsBusy());
    EXPECT_TRUE(m_core.OnDrop({m_roms.Path()}));
    EXPECT_EQ(m_view.shown.strFolder, m_roms.Path());
    WaitIdle();
    EXPECT_EQ(m_core.GetRowCount(), 1);
}

TEST_F(DialogCoreTest, AFolderThatCannotBeStoredIsReportedWithTheFileAndTheReason) {
    // The settings folder is a file: nothing can be written below it.
    const std::string blocked = m_config.WriteText("blocked", "not a folder");
    const std::string path = blocked + CFileSystem::kSeparator + "quillbey.ini";
    CQuillbeyDlgCore core(m_view, {path, {}});
    core.OnInitDialog();
    core.ChooseFolder(m_roms.Path());
    core.OnDestroy();
    ASSERT_EQ(m_view.errors.size(), 1u);
    const std::string& error = m_view.errors.front();
    EXPECT_EQ(error.rfind(std::string(kQuillbeyCaption) + "|", 0), 0u) << error;
    EXPECT_NE(error.find(path + ":\n"), std::string::npos) << error;
    EXPECT_GT(error.size(), error.find(":\n") + 3) << "no reason given: " << error;
    EXPECT_EQ(ReadText(blocked), "not a folder");
    core.OnDestroy(); // told once
    EXPECT_EQ(m_view.errors.size(), 1u);
}

TEST_F(DialogCoreTest, ChoosingAFolderMidScanStopsTheRunningScanFirst) {
    m_roms.WriteFile("held.gba", Image({}));
    m_roms.WriteFile("other.gba", Image({}));
    TempDir second;
    second.WriteFile("b.gba", Image({}));
    CLoadGate gate(CLoadGate::Named("held.gba"));
    m_core.SetScanOptions(gate.Options(1));
    m_core.ChooseFolder(m_roms.Path());
    ASSERT_TRUE(gate.WaitUntilReached(std::chrono::seconds(60)));
    m_core.OnItemChangedRomList(0);
    m_core.OnCopy(0);
    EXPECT_EQ(m_view.clipboard, ""); // nothing is copied while busy

    m_core.SetScanOptions({});
    m_core.ChooseFolder(second.Path()); // returns while the held load waits
    gate.Release();
    WaitIdle();
    EXPECT_EQ(Rows(), std::vector<std::string>{"b.gba"});
}

TEST_F(DialogCoreTest, DatFromTheCommandLineMarksEachRowAndIsStoredBesideTheFolder) {
    TempDir dats;
    const std::string dat = FillDatFolder(m_roms, dats);
    m_config.WriteText("quillbey.ini", "; mine\n[Settings]\nK=v\n[Other]\nX=1\n");
    CQuillbeyDlgCore core(m_view, {m_config / "quillbey.ini", {}}, {m_roms.Path(), dat});
    core.OnInitDialog();
    EXPECT_EQ(core.GetRowMark(0), RowMark::None); // no rows yet
    WaitChecked(core);
    EXPECT_TRUE(core.HasDat());
    EXPECT_FALSE(m_view.checking);
    using enum RowMark;
    std::vector<RowMark> marks; // bad, faulty, good, unknown, z.gba
    for (int row = 0; row < core.GetRowCount(); ++row) {
        marks.push_back(core.GetRowMark(row));
    }
    EXPECT_EQ(marks, (std::vector<RowMark>{Bad, Bad, Good, Unknown, Good}));
    EXPECT_EQ(core.RowTip(1), "faulty.gba\ngood: Faulty Game\nheader fault: logo damaged");
    EXPECT_EQ(core.RowTip(3), "unknown.gba\nunknown");
    EXPECT_EQ(core.RowTip(4), "z.gba\ngood: Zipped Game");
    core.OnCopy(0);
    EXPECT_TRUE(m_view.clipboard.ends_with("Logo Error: no\nDAT: baddump: Bad Game\n"))
        << m_view.clipboard;
    core.OnDestroy();
    EXPECT_TRUE(m_view.errors.empty());
    EXPECT_EQ(SettingsText(), "; mine\n[Settings]\nK=v\nLast Directory=" + m_roms.Path() +
                                  "\nDAT File=" + dat + "\n[Other]\nX=1\n");
}

TEST_F(DialogCoreTest, DroppedDatIsLoadedStoredAndRestoredButABadOneChangesNothing) {
    TempDir dats;
    const std::string dat = FillDatFolder(m_roms, dats);
    const std::string broken =
        dats.WriteText("broken.dat", "<datafile>\n<game name=\"a\"><rom name=\"a\" size=\"-1\"/>");
    m_core.OnInitDialog();
    m_core.ChooseFolder(m_roms.Path());
    WaitIdle();
    // Without a DAT the rows are what they always were.
    EXPECT_EQ(Marks(), std::vector<RowMark>(5, RowMark::None));
    EXPECT_EQ(m_core.RowTip(0), "bad.gba");
    m_core.OnCopy(0);
    EXPECT_EQ(m_view.clipboard.find("DAT:"), std::string::npos);

    EXPECT_TRUE(m_core.OnDrop({broken}));
    WaitChecked(m_core);
    ASSERT_EQ(m_view.errors.size(), 1u);
    EXPECT_EQ(m_view.errors[0].rfind(std::string(kQuillbeyCaption) + "|", 0), 0u);
    EXPECT_NE(m_view.errors[0].find(broken + ": line 2: "), std::string::npos) << m_view.errors[0];
    EXPECT_FALSE(m_core.HasDat());
    EXPECT_FALSE(m_core.IsChecking());

    EXPECT_TRUE(m_core.CanDrop({dat}));
    EXPECT_TRUE(m_core.OnDrop({dat})); // the listed images are checked at once
    EXPECT_TRUE(m_view.checking);
    WaitChecked(m_core);
    EXPECT_EQ(Marks()[2], RowMark::Good);
    m_core.OnDestroy();
    EXPECT_NE(SettingsText().find("\nDAT File=" + dat + "\n"), std::string::npos);

    CQuillbeyDlgCore restored(m_view, {m_config / "quillbey.ini", {}});
    restored.OnInitDialog();
    WaitChecked(restored);
    EXPECT_TRUE(restored.HasDat());
    EXPECT_EQ(m_view.errors.size(), 1u);
}

TEST_F(DialogCoreTest, ADatLoadsWhileTheListStaysUsableAndOutlivesAFolderChange) {
    TempDir dats;
    const std::string dat = FillDatFolder(m_roms, dats);
    TempDir second;
    second.WriteFile("good.gba", Image({.title = "GOOD"}));
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    m_core.SetBeforeDatLoad([released] { released.wait_for(std::chrono::seconds(60)); });
    m_core.OnInitDialog();
    m_core.ChooseFolder(m_roms.Path());
    WaitIdle();
    EXPECT_TRUE(m_core.LoadDat(dat)); // returns while the load is held
    EXPECT_TRUE(m_view.checking);
    m_core.OnTimer();
    EXPECT_FALSE(m_core.HasDat());
    m_core.OnItemChangedRomList(2);
    EXPECT_EQ(m_view.shown.values[0], "GOOD");
    EXPECT_EQ(Marks(), std::vector<RowMark>(5, RowMark::None));

    m_core.ChooseFolder(second.Path()); // a DAT is no folder's: its load goes on
    EXPECT_TRUE(m_core.IsChecking());
    release.set_value();
    WaitChecked(m_core);
    EXPECT_TRUE(m_core.HasDat());
    EXPECT_EQ(Marks(), std::vector<RowMark>{RowMark::Good});
}

TEST_F(DialogCoreTest, ChoosingAFolderStopsTheBackgroundCheckAtOnce) {
    TempDir dats;
    const std::string dat = FillDatFolder(m_roms, dats);
    TempDir second;
    second.WriteFile("b.gba", Image({}));
    CLoadGate gate(CLoadGate::Named("good.gba"));
    m_core.SetCheckOptions({.nThreads = 1, .beforeHash = gate.Options().beforeLoad});
    m_core.OnInitDialog();
    m_core.LoadDat(dat);
    m_core.ChooseFolder(m_roms.Path());
    WaitIdle();
    for (int tick = 0; tick < 6000 && !m_core.HasDat(); ++tick) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        m_core.OnTimer(); // the DAT may be put in place after the scan
    }
    ASSERT_TRUE(gate.WaitUntilReached(std::chrono::seconds(60)));
    m_core.OnTimer();
    EXPECT_TRUE(m_core.IsChecking());
    EXPECT_EQ(Marks()[2], RowMark::Unchecked); // held
    EXPECT_EQ(m_core.RowTip(2), "good.gba\nunchecked");
    m_core.OnItemChangedRomList(2); // the list stays usable meanwhile
    EXPECT_EQ(m_view.shown.values[0], "GOOD");

    m_core.SetCheckOptions({});
    m_core.ChooseFolder(second.Path()); // returns while the held read waits
    EXPECT_FALSE(m_core.IsChecking());
    EXPECT_FALSE(m_view.checking);
    gate.Release();
    WaitChecked(m_core);
    EXPECT_EQ(Rows(), std::vector<std::string>{"b.gba"});
    EXPECT_EQ(Marks(), std::vector<RowMark>{RowMark::Unknown});
}
