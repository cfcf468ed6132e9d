// The native dialog driven in its own process, on a display: a scan of a
// folder built here, the rows read back from the virtual list view in sorted
// order, the panel of the focused row, Ctrl+C, a dropped folder, Enter
// ignored and Escape closing, the folder setting written at close and read
// at the next start, the box shown when it cannot be written, and with a
// DAT loaded each row's mark and infotip.
#include "win32/CQuillbeyDlg.h"
#include "QuillbeyVersion.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"
#include "ui/RowMark.h"
#include "ui/resource.h"
#include "win32/WideText.h"

#include <commctrl.h>

#include <shlobj.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

using namespace testing_support;

namespace {

constexpr ULONGLONG kScanTimeoutMs = 60000;
// ロム, "ROM" in katakana: outside every ANSI code page but Japanese.
constexpr const char* kJapaneseName = "\xE3\x83\xAD\xE3\x83\xA0";

// A header whose stored complement is 0x1F while its bytes call for 0x2A, and
// whose logo is damaged.
std::vector<std::uint8_t> FaultyImage() {
    CartridgeHeader header = BuildHeader({.title = "ODD ONE", .logoIntact = false});
    for (int unit = 0; unit < 256 && ReferenceComplement(header) != 0x2A; ++unit) {
        header[0xB3] = static_cast<std::uint8_t>(unit);
    }
    header[0xBD] = 0x1F;
    return BuildImage(header, 2048);
}

std::vector<std::uint8_t> GoodImage() {
    return BuildImage(BuildHeader(), 1024);
}

// Handles the thread's messages as the dialog's message loop would, until
// `done` holds; false when it does not within the time (a fault, not a hang).
template <typename Done> bool PumpUntil(HWND dialog, Done done) {
    const ULONGLONG deadline = GetTickCount64() + kScanTimeoutMs;
    while (!done()) {
        if (GetTickCount64() > deadline) {
            return false;
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsWindow(dialog) || !IsDialogMessageW(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

// Presses and releases `key` on `control`, and lets the loop handle it.
void PressKey(HWND dialog, HWND control, WPARAM key) {
    SetFocus(control);
    PostMessageW(control, WM_KEYDOWN, key, 1);
    PostMessageW(control, WM_KEYUP, key, 0xC0000001);
    PumpUntil(dialog, [] {
        MSG msg;
        return PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) == 0;
    });
}

// Presses Ctrl+C on `control`, as the keyboard state shows it to the dialog.
void PressCtrlC(HWND dialog, HWND control) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    PressKey(dialog, control, 'C');
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
}

std::wstring ClipboardText() {
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

// Drops `path` on the dialog as the shell does.
void DropOn(HWND dialog, const std::string& path) {
    const std::wstring wide = Utf8ToWide(path);
    const std::size_t bytes = sizeof(DROPFILES) + (wide.size() + 2) * sizeof(wchar_t);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(files + 1, wide.c_str(), wide.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    SendMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0); // frees it
}

std::wstring ItemText(HWND dialog, int controlId) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, controlId, text, 512);
    return text;
}

std::vector<std::wstring> RowTexts(HWND list) {
    std::vector<std::wstring> rows;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        wchar_t text[512] = {};
        ListView_GetItemText(list, row, 0, text, 512);
        rows.emplace_back(text);
    }
    return rows;
}

std::string FileText(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    return {bytes.begin(), bytes.end()};
}

// A dialog on `folder` with its settings in `settings`, its scan ended.
HWND OpenDialog(CQuillbeyDlg& dlg, const std::string& settings) {
    dlg.SetSettingsFiles(settings, "");
    const HWND dialog = dlg.Create();
    EXPECT_NE(dialog, nullptr);
    EXPECT_TRUE(PumpUntil(dialog, [&] { return !dlg.IsBusy(); }));
    return dialog;
}

} // namespace

TEST(QuillbeyDlgWindows, ScansSortsShowsTheFocusedRowAndStoresTheFolder) {
    TempDir dir;
    const std::string roms = dir.MakeSubdir("roms");
    dir.WriteFile("roms/zeta.gba", GoodImage());
    dir.WriteFile("roms/Alpha.gba", GoodImage());
    dir.WriteFile("roms/beta.GBA", FaultyImage());
    WriteZip(dir / "roms/c.zip",
             {{"readme.txt", TextBytes("no image")}, {"demo/d.agb", GoodImage()}});
    dir.WriteText("roms/notes.txt", "no image");
    const std::string settings = dir / "settings/quillbey.ini";

    CQuillbeyDlg dlg({roms, std::nullopt});
    const HWND dialog = OpenDialog(dlg, settings);
    const HWND list = GetDlgItem(dialog, IDC_ROMLIST);
    EXPECT_EQ(RowTexts(list),
              (std::vector<std::wstring>{L"Alpha.gba", L"beta.GBA", L"demo/d.agb", L"zeta.gba"}));
    // No DAT: neither marks nor infotips.
    EXPECT_EQ(ListView_GetImageList(list, LVSIL_SMALL), nullptr);
    EXPECT_EQ(ListView_GetExtendedListViewStyle(list), DWORD{LVS_EX_FULLROWSELECT});

    // The panel follows the focus.
    ListView_SetItemState(list, 1, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    EXPECT_EQ(ItemText(dialog, IDC_NAME), L"ODD ONE");
    EXPECT_EQ(ItemText(dialog, IDC_COMPLEMENT), L"1Fh (2Ah)");
    EXPECT_EQ(ItemText(dialog, IDC_CRC32), L"N/A");
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_LOGOERROR), UINT{BST_CHECKED});
    EXPECT_EQ(ItemText(dialog, IDC_COMPLEMENT + IDC_LABEL_OFFSET), L"Complement:");
    ListView_SetItemState(list, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    EXPECT_EQ(ItemText(dialog, IDC_COMPLEMENT).find(L'('), std::wstring::npos);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_LOGOERROR), UINT{BST_UNCHECKED});

    PressCtrlC(dialog, list);
    EXPECT_EQ(ClipboardText().rfind(L"Alpha.gba\r\nInternal Name: QB TEST\r\n", 0), 0u)
        << WideToUtf8(ClipboardText());

    PressKey(dialog, list, VK_RETURN);
    ASSERT_TRUE(IsWindow(dialog)) << "Enter closed the dialog";
    EXPECT_FALSE(std::ifstream(settings).good()) << "written before the dialog closed";

    PressKey(dialog, list, VK_ESCAPE);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(FileText(settings), "[Settings]\nLast Directory=" + roms + "\n");
}

TEST(QuillbeyDlgWindows, AFolderOutsideTheAnsiCodePageIsStoredAndFoundAgain) {
    TempDir dir;
    const std::string folder = dir.MakeSubdir(kJapaneseName);
    dir.WriteFile(std::string(kJapaneseName) + "/a.gba", GoodImage());
    const std::string settings = dir / "quillbey.ini";
    {
        CQuillbeyDlg first({folder, std::nullopt});
        DestroyWindow(OpenDialog(first, settings));
    }
    CQuillbeyDlg second; // no folder given: the stored one
    const HWND dialog = OpenDialog(second, settings);
    EXPECT_EQ(ItemText(dialog, IDC_FOLDER), Utf8ToWide(folder));
    EXPECT_EQ(RowTexts(GetDlgItem(dialog, IDC_ROMLIST)), std::vector<std::wstring>{L"a.gba"});
}

TEST(QuillbeyDlgWindows, ADroppedFolderIsScannedAndAFolderThatCannotBeStoredIsShown) {
    TempDir dir;
    const std::string roms = dir.MakeSubdir("roms");
    dir.WriteFile("roms/a.gba", GoodImage());
    // The settings folder is a file: nothing can be written below it.
    const std::string settings = dir.WriteText("blocked", "a file") + "\\quillbey.ini";
    CQuillbeyDlg dlg;
    const HWND dialog = OpenDialog(dlg, settings);
    DropOn(dialog, roms);
    EXPECT_TRUE(PumpUntil(dialog, [&] { return !dlg.IsBusy(); }));
    EXPECT_EQ(ItemText(dialog, IDC_FOLDER), Utf8ToWide(roms));
    EXPECT_EQ(RowTexts(GetDlgItem(dialog, IDC_ROMLIST)), std::vector<std::wstring>{L"a.gba"});

    // The box is modal: another thread reads and closes it.
    std::atomic<bool> found = false;
    std::wstring text;
    const std::wstring caption = Utf8ToWide(kQuillbeyCaption);
    std::thread closer([&] {
        for (int wait = 0; wait < 6000 && !found; ++wait) {
            const HWND box = FindWindowExW(nullptr, nullptr, L"#32770", nullptr);
            for (HWND w = box; w != nullptr; w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
                wchar_t title[64] = {};
                GetWindowTextW(w, title, 64);
                if (w != dialog && caption == title) {
                    text = ItemText(w, 0xFFFF); // the message's static text
                    PostMessageW(w, WM_COMMAND, IDOK, 0);
                    found = true;
                    break;
                }
            }
            Sleep(10);
        }
    });
    PressKey(dialog, GetDlgItem(dialog, IDC_ROMLIST), VK_ESCAPE);
    closer.join();
    EXPECT_TRUE(found);
    EXPECT_NE(text.find(Utf8ToWide(settings)), std::wstring::npos) << WideToUtf8(text);
    EXPECT_FALSE(IsWindow(dialog));
}

TEST(QuillbeyDlgWindows, WithADatEachRowShowsItsMarkAndNamesTheGameInItsInfotip) {
    TempDir dir;
    const std::string roms = dir.MakeSubdir("roms");
    dir.WriteFile("roms/good.gba", GoodImage());
    dir.WriteFile("roms/odd.gba", FaultyImage());
    char crc[9] = {};
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(Crc32Of(GoodImage())));
    const std::string dat = dir.WriteText(
        "gba.dat", std::string("game ( name \"Good Game\" rom ( name good.gba size 1024 crc ") +
                       crc + " ) )\n");
    CQuillbeyDlg dlg({roms, dat});
    const HWND dialog = OpenDialog(dlg, dir / "quillbey.ini");
    ASSERT_TRUE(PumpUntil(dialog, [&] { return !dlg.IsChecking(); }));
    const HWND list = GetDlgItem(dialog, IDC_ROMLIST);
    EXPECT_NE(ListView_GetImageList(list, LVSIL_SMALL), nullptr);
    EXPECT_NE(ListView_GetExtendedListViewStyle(list) & LVS_EX_INFOTIP, 0u);
    for (const auto& [row, mark] : {std::pair{0, RowMark::Good}, std::pair{1, RowMark::Bad}}) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        ASSERT_TRUE(ListView_GetItem(list, &item));
        EXPECT_EQ(item.iImage, RowMarkImage(mark)) << row;
    }
    wchar_t text[256] = {};
    NMLVGETINFOTIPW tip{};
    tip.hdr = {list, IDC_ROMLIST, LVN_GETINFOTIPW};
    tip.pszText = text;
    tip.cchTextMax = 256;
    SendMessageW(dialog, WM_NOTIFY, IDC_ROMLIST, reinterpret_cast<LPARAM>(&tip));
    EXPECT_EQ(std::wstring(text), L"good.gba\r\ngood: Good Game");
    DestroyWindow(dialog);
}
