// Measures a scan in the real dialog, shown offscreen under bench/run. Three
// measurements, printed as key=value pairs on one line:
//   FOLDER: chooses the folder and runs the event loop with a 1 ms timer
//     probe until the dialog leaves its busy state, that is until the rows are
//     sorted: the time from folder chosen to sorted list, and the longest
//     stall of the event loop meanwhile.
//   --escape-after MS FOLDER: chooses the folder, and MS later presses Escape
//     in the dialog's window, as a user would. It prints the monotonic clock
//     (CLOCK_MONOTONIC, ns) just before the key goes out, then closes as the
//     program does; bench/exit-latency takes the time until the process has
//     ended as its parent sees it.
//   --switch-after MS FOLDER OTHER: chooses FOLDER, and MS later chooses OTHER
//     while the first scan runs: the time until ChooseFolder returns, and
//     until the folder field shows OTHER and the event loop has run again.
//
// Usage: qb_gui_scan_probe FOLDER
//        qb_gui_scan_probe --escape-after MS FOLDER
//        qb_gui_scan_probe --switch-after MS FOLDER OTHER
#include "CEventLoopProbe.h"
#include "qt/CQuillbeyDlg.h"
#include "qt/CRomListModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

namespace {

constexpr int kGiveUpMs = 10 * 60 * 1000;

// The dialog reads and writes its settings; keep them away from the user's.
class ScratchConfigHome {
public:
    ScratchConfigHome() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quillbey-probe-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
            ::setenv("XDG_CONFIG_HOME", m_path.c_str(), 1);
        }
    }
    ~ScratchConfigHome() { Remove(); }
    ScratchConfigHome(const ScratchConfigHome&) = delete;
    ScratchConfigHome& operator=(const ScratchConfigHome&) = delete;

    void Remove() {
        std::error_code ignored;
        if (!m_path.empty()) {
            std::filesystem::remove_all(m_path, ignored);
            m_path.clear();
        }
    }

private:
    std::string m_path;
};

// The clock bench/exit-latency reads too.
long long MonotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

double MsBetween(long long fromNs, long long toNs) {
    return static_cast<double>(toNs - fromNs) / 1e6;
}

int MeasureFullScan(CQuillbeyDlg& dlg, const std::string& folder) {
    CEventLoopProbe probe;
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 sortedNs = -1;
    probe.Start([&] {
        if (!dlg.IsBusy()) {
            sortedNs = clock.nsecsElapsed();
            loop.quit();
        }
    });
    QTimer::singleShot(kGiveUpMs, &loop, &QEventLoop::quit);
    clock.start();
    dlg.ChooseFolder(folder);
    loop.exec();
    probe.Stop();

    if (sortedNs < 0) {
        std::fprintf(stderr, "qb_gui_scan_probe: the scan did not end within %d s\n",
                     kGiveUpMs / 1000);
        return 1;
    }
    std::printf("rows=%d folder_to_sorted_ms=%.1f longest_stall_ms=%.1f ticks=%lld\n",
                dlg.RomListModel()->rowCount(), static_cast<double>(sortedNs) / 1e6,
                probe.LongestGapMs(), probe.TickCount());
    return 0;
}

// Escape in the dialog's window while it scans; the dialog closes as in the
// program (its exec returns), and main's return ends the process.
int MeasureEscape(CQuillbeyDlg& dlg, const std::string& folder, int afterMs) {
    dlg.ChooseFolder(folder);
    QTimer::singleShot(afterMs, &dlg, [&dlg] {
        const bool busy = dlg.IsBusy();
        std::printf("busy_at_escape=%d escape_sent_ns=%lld\n", busy ? 1 : 0, MonotonicNs());
        std::fflush(stdout);
        const long long sentNs = MonotonicNs();
        QTest::keyClick(dlg.windowHandle(), Qt::Key_Escape);
        std::printf("escape_handled_ms=%.1f\n", MsBetween(sentNs, MonotonicNs()));
        std::fflush(stdout);
    });
    QTimer::singleShot(kGiveUpMs, &dlg, [] {
        std::fputs("qb_gui_scan_probe: the dialog did not close on Escape\n", stderr);
        std::_Exit(1);
    });
    dlg.exec();
    return 0;
}

// Another folder chosen while a scan runs. The process then ends at once:
// how long the dialog would take to stop the second scan is not measured here.
int MeasureSwitch(CQuillbeyDlg& dlg, ScratchConfigHome& configHome, const std::string& folder,
                  const std::string& other, int afterMs) {
    const QString otherText = QString::fromStdString(other);
    CEventLoopProbe probe;
    QEventLoop loop;
    long long chosenNs = 0;
    long long returnedNs = 0;
    long long shownNs = 0;
    bool busyAtSwitch = false;
    dlg.ChooseFolder(folder);
    QTimer::singleShot(afterMs, &loop, [&] {
        busyAtSwitch = dlg.IsBusy();
        chosenNs = MonotonicNs();
        dlg.ChooseFolder(other);
        returnedNs = MonotonicNs();
        // The next ticks tell when the loop runs again with the new folder shown.
        probe.Start([&] {
            if (dlg.FolderField()->text() == otherText) {
                shownNs = MonotonicNs();
                loop.quit();
            }
        });
    });
    QTimer::singleShot(kGiveUpMs, &loop, &QEventLoop::quit);
    loop.exec();
    probe.Stop();
    if (shownNs == 0) {
        std::fprintf(stderr, "qb_gui_scan_probe: the folder field never showed %s\n",
                     other.c_str());
        return 1;
    }
    std::printf("busy_at_switch=%d switch_return_ms=%.1f switch_to_tick_ms=%.1f\n",
                busyAtSwitch ? 1 : 0, MsBetween(chosenNs, returnedNs),
                MsBetween(chosenNs, shownNs));
    std::fflush(stdout);
    configHome.Remove();
    std::_Exit(0);
}

int Usage() {
    std::fputs("usage: qb_gui_scan_probe FOLDER\n"
               "       qb_gui_scan_probe --escape-after MS FOLDER\n"
               "       qb_gui_scan_probe --switch-after MS FOLDER OTHER\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const bool escape = mode == "--escape-after" && argc == 4;
    const bool change = mode == "--switch-after" && argc == 5;
    if (!escape && !change && (argc != 2 || mode.starts_with("--"))) {
        return Usage();
    }
    const int afterMs = escape || change ? std::atoi(argv[2]) : 0;
    if ((escape || change) && afterMs <= 0) {
        return Usage();
    }
    ScratchConfigHome configHome;
    QApplication application(argc, argv);

    CQuillbeyDlg dlg;
    dlg.show();
    QApplication::processEvents(); // first layout and paint, outside the measurement

    if (escape) {
        return MeasureEscape(dlg, argv[3], afterMs);
    }
    if (change) {
        return MeasureSwitch(dlg, configHome, argv[3], argv[4], afterMs);
    }
    return MeasureFullScan(dlg, argv[1]);
}
