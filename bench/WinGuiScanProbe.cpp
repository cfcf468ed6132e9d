// Measures a scan in the real Windows dialog, the way bench/GuiScanProbe
// does for the Qt one: it chooses FOLDER and runs the dialog's message loop
// until the dialog leaves its busy state (the rows sorted and shown), and
// prints the time from folder chosen to sorted list, and the longest time
// the loop went without taking its messages (the longest stall of the
// window's thread). With --idle MS it first keeps the dialog open and idle
// for MS, so that a ping from outside can measure the idle window too.
//
// Usage: qb_win_gui_scan_probe [--idle MS] FOLDER   (a Windows path)
#include "ui/ScanJobs.h"
#include "ui/resource.h"
#include "win32/CQuillbeyDlg.h"
#include "win32/WideText.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr ULONGLONG kGiveUpMs = 10 * 60 * 1000;

double NowMs() {
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1e3 / static_cast<double>(frequency.QuadPart);
}

// Runs the dialog's message loop until `done` holds or `limitMs` have passed,
// waking at least every millisecond; returns the longest gap between two
// turns of the loop.
template <typename Done> double PumpUntil(HWND dialog, double limitMs, Done done) {
    const double start = NowMs();
    double last = start;
    double longest = 0;
    while (!done() && NowMs() - start < limitMs) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsWindow(dialog) || !IsDialogMessageW(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        const double now = NowMs();
        longest = now - last > longest ? now - last : longest;
        last = now;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    return longest;
}

// A settings file of the probe's own, away from the user's.
std::string ScratchSettings() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return WideToUtf8(folder) + "quillbey-probe-" + std::to_string(GetCurrentProcessId()) + ".ini";
}

} // namespace

int main(int argc, char** argv) {
    int idleMs = 0;
    int first = 1;
    if (argc == 4 && std::string(argv[1]) == "--idle") {
        idleMs = std::atoi(argv[2]);
        first = 3;
    }
    if (argc != first + 1) {
        std::fputs("usage: qb_win_gui_scan_probe [--idle MS] FOLDER\n", stderr);
        return 2;
    }
    const std::string folder = argv[first];
    const std::string settings = ScratchSettings();
    CQuillbeyDlg dlg;
    dlg.SetSettingsFiles(settings, "");
    dlg.SetScanOptions(ScanOptionsFromEnvironment()); // as the program does
    const HWND dialog = dlg.Create();
    if (dialog == nullptr) {
        std::fputs("qb_win_gui_scan_probe: the dialog could not be created\n", stderr);
        return 1;
    }
    ShowWindow(dialog, SW_SHOW);
    // First layout and paint, and the idle time, outside the measurement.
    const double idleStall = PumpUntil(dialog, 200.0 + idleMs, [] { return false; });

    const double chosen = NowMs();
    dlg.ChooseFolder(folder);
    double sorted = -1;
    const double stall = PumpUntil(dialog, kGiveUpMs, [&] {
        if (!dlg.IsBusy()) {
            sorted = NowMs();
        }
        return sorted >= 0;
    });
    if (sorted < 0) {
        std::fputs("qb_win_gui_scan_probe: the scan did not end\n", stderr);
        return 1;
    }
    const int rows = ListView_GetItemCount(GetDlgItem(dialog, IDC_ROMLIST));
    std::printf("rows=%d folder_to_sorted_ms=%.1f longest_stall_ms=%.1f idle_stall_ms=%.1f\n", rows,
                sorted - chosen, stall, idleStall);
    std::fflush(stdout);
    DestroyWindow(dialog);
    DeleteFileW(Utf8ToWide(settings).c_str());
    return 0;
}
