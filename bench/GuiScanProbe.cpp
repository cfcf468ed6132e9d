// Measures a scan in the real dialog: shows CQuillbeyDlg (offscreen under
// bench/run), chooses the folder given, and runs the event loop with a 1 ms
// timer probe until the dialog leaves its busy state, that is until the rows
// are sorted. Prints the time from folder chosen to sorted list and the
// longest stall of the event loop meanwhile, as key=value pairs.
//
// Usage: qb_gui_scan_probe FOLDER
#include "CEventLoopProbe.h"
#include "app/CQuillbeyDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
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
    ~ScratchConfigHome() {
        std::error_code ignored;
        if (!m_path.empty()) {
            std::filesystem::remove_all(m_path, ignored);
        }
    }
    ScratchConfigHome(const ScratchConfigHome&) = delete;
    ScratchConfigHome& operator=(const ScratchConfigHome&) = delete;

private:
    std::string m_path;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: qb_gui_scan_probe FOLDER\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];
    const ScratchConfigHome configHome;
    QApplication application(argc, argv);

    CQuillbeyDlg dlg;
    dlg.show();
    QApplication::processEvents(); // first layout and paint, outside the measurement

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
