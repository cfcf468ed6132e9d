// The settings file at its worst, through the real dialog: binary, huge,
// half-written, a FIFO, a device, a folder in its place, or a config folder
// that cannot be written. The dialog must always start (with no setting and
// no scan when the file cannot be trusted), rewrite a clean file at close
// when it can (a text file keeps its other lines), and otherwise close all
// the same, leave what is there as it was and say on stderr that the folder
// was not stored.
#include "qt/CQuillbeyDlg.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/TreeSnapshot.h"

#include <QLineEdit>
#include <QTest>
#include <array>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace testing_support;

Q_DECLARE_METATYPE(std::string)

namespace {

constexpr int kScanTimeoutMs = 60000;
constexpr const char* kCleanSettings = "[Settings]\nLast Directory=\n";
// Stands for the folder of images in the file contents below.
constexpr const char* kRomsMark = "@ROMS@";

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Replaced(std::string text, const std::string& mark, const std::string& by) {
    for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark, at + by.size())) {
        text.replace(at, mark.size(), by);
    }
    return text;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Sends what the process writes to stderr into a pipe until Take() is called.
// A pipe rather than a file: a file-size limit must not cut what is caught,
// and nothing is left in any folder. Its writing end never blocks, so a
// flood of messages would be lost rather than hang the test.
class StderrCapture {
public:
    StderrCapture() {
        std::fflush(stderr);
        if (::pipe2(m_pipe.data(), O_CLOEXEC) != 0) {
            return;
        }
        ::fcntl(m_pipe[1], F_SETFL, O_NONBLOCK);
        ::fcntl(m_pipe[0], F_SETFL, O_NONBLOCK);
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(m_pipe[1], STDERR_FILENO);
    }
    ~StderrCapture() {
        Restore();
        for (const int fd : m_pipe) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    std::string Take() {
        Restore();
        std::string text;
        std::array<char, 4096> chunk{};
        ssize_t got = 0;
        while (m_pipe[0] >= 0 && (got = ::read(m_pipe[0], chunk.data(), chunk.size())) > 0) {
            text.append(chunk.data(), static_cast<std::size_t>(got));
        }
        return text;
    }

private:
    void Restore() {
        if (m_saved >= 0) {
            std::fflush(stderr);
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
            m_saved = -1;
        }
    }

    std::array<int, 2> m_pipe = {-1, -1};
    int m_saved = -1;
};

// What a folder holds, without the folders' own modification times: writing
// through a temporary file touches them even when nothing is left behind.
TreeSnapshot ContentOf(const std::string& folder) {
    TreeSnapshot snapshot = SnapshotTree(folder);
    for (auto& [path, state] : snapshot) {
        if (S_ISDIR(state.mode)) {
            state.mtimeNs = 0;
        }
    }
    return snapshot;
}

// The lines of `text` that the program itself wrote (Qt may add its own).
QStringList ProgramLines(const std::string& text) {
    QStringList lines;
    for (const QString& line : QString::fromStdString(text).split('\n')) {
        if (line.startsWith(QStringLiteral("quillbey: "))) {
            lines << line;
        }
    }
    return lines;
}

// Frees a reader stuck opening or reading a FIFO, should one ever be, by
// opening it for writing after a grace time; the test then fails instead of
// hanging. Fired() tells whether that was needed.
class FifoWatchdog {
public:
    explicit FifoWatchdog(std::string fifo)
        : m_strFifo(std::move(fifo)), m_thread([this] { Watch(); }) {}
    ~FifoWatchdog() {
        {
            const std::lock_guard lock(m_mutex);
            m_bStopped = true;
        }
        m_signal.notify_all();
        m_thread.join();
    }
    FifoWatchdog(const FifoWatchdog&) = delete;
    FifoWatchdog& operator=(const FifoWatchdog&) = delete;

    bool Fired() {
        const std::lock_guard lock(m_mutex);
        return m_bFired;
    }

private:
    void Watch() {
        std::unique_lock lock(m_mutex);
        while (!m_bStopped) {
            if (!m_signal.wait_for(lock, std::chrono::seconds(20), [this] { return m_bStopped; })) {
                m_bFired = true;
                const int fd = ::open(m_strFifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    ::close(fd);
                }
            }
        }
    }

    std::string m_strFifo;
    std::mutex m_mutex;
    std::condition_variable m_signal;
    bool m_bStopped = false;
    bool m_bFired = false;
    std::thread m_thread;
};

} // namespace

class CQuillbeyDlgSettingsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempDir> m_config;
    std::unique_ptr<TempDir> m_roms;

    std::string ConfigFolder() const { return m_config->Path() + "/quillbey"; }
    std::string SettingsPath() const { return ConfigFolder() + "/quillbey.ini"; }

    void WriteSettings(const std::string& bytes) const {
        std::filesystem::create_directories(ConfigFolder());
        std::ofstream(SettingsPath(), std::ios::binary | std::ios::trunc) << bytes;
    }

    // The dialog as a start on untrusted settings must leave it: no folder
    // shown, no scan, no rows.
    static void VerifyStartedWithoutSetting(const CQuillbeyDlg& dlg) {
        QCOMPARE(dlg.FolderField()->text(), QString());
        QVERIFY(!dlg.IsBusy());
        QCOMPARE(dlg.RomListModel()->rowCount(), 0);
    }

    // Closes the dialog as Escape does, with stderr captured; returns the
    // program's own lines written meanwhile.
    QStringList CloseCapturingStderr(CQuillbeyDlg& dlg) const {
        StderrCapture capture;
        dlg.reject();
        return ProgramLines(capture.Take());
    }

    QString CannotSaveLine(const char* reason) const {
        return QStringLiteral("quillbey: cannot save the last folder to %1: %2")
            .arg(QString::fromStdString(SettingsPath()), QString::fromLatin1(reason));
    }

private slots:
    void init() {
        m_config = std::make_unique<TempDir>();
        m_roms = std::make_unique<TempDir>();
        m_roms->WriteFile("found.gba", BuildImage(BuildHeader({.title = "FOUND"}), 1024));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_config->Path()));
    }

    void cleanup() {
        m_config.reset();
        m_roms.reset();
    }

    void untrustedFilesGiveNoSettingAndAreRewrittenCleanAtClose_data() {
        QTest::addColumn<std::string>("content");
        QTest::addColumn<std::string>("written");
        const std::string setting = std::string("[Settings]\nLast Directory=") + kRomsMark + "\n";
        std::string allBytes;
        for (int byte = 0; byte < 256; ++byte) {
            allBytes += static_cast<char>(byte);
        }
        // Each of these names the folder of images: were the file trusted, the
        // dialog would show and scan it.
        QTest::newRow("binary") << setting + allBytes << std::string(kCleanSettings);
        QTest::newRow("zero-filled tail, as a crash leaves it")
            << setting + std::string(4096, '\0') << std::string(kCleanSettings);
        QTest::newRow("over 1 MiB") << setting + std::string((1 << 20) + 1, ';') + "\n"
                                    << std::string(kCleanSettings);
        // Cut while being written: a text file, so every line stays as it was.
        QTest::newRow("cut inside the section name")
            << std::string("[Sett") << "[Sett\n" + std::string(kCleanSettings);
        QTest::newRow("cut inside the key")
            << std::string("[Settings]\nLast Dire")
            << std::string("[Settings]\nLast Directory=\nLast Dire");
        QTest::newRow("cut inside the folder: kept, but not a folder")
            << std::string("[Settings]\nLast Directory=") + kRomsMark + "/fou"
            << std::string("[Settings]\nLast Directory=") + kRomsMark + "/fou";
    }

    void untrustedFilesGiveNoSettingAndAreRewrittenCleanAtClose() {
        QFETCH(std::string, content);
        QFETCH(std::string, written);
        WriteSettings(Replaced(content, kRomsMark, m_roms->Path()));
        {
            CQuillbeyDlg dlg;
            dlg.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dlg));
            VerifyStartedWithoutSetting(dlg);
            QCOMPARE(CloseCapturingStderr(dlg), QStringList());
            QVERIFY(!dlg.isVisible());
        }
        QVERIFY(IsRegularFile(SettingsPath()));
        QCOMPARE(ReadText(SettingsPath()), Replaced(written, kRomsMark, m_roms->Path()));
    }

    void fifoInPlaceOfTheFileNeitherBlocksNorSurvivesTheClose() {
        std::filesystem::create_directories(ConfigFolder());
        QCOMPARE(::mkfifo(SettingsPath().c_str(), 0600), 0);
        FifoWatchdog watchdog(SettingsPath());
        {
            CQuillbeyDlg dlg;
            QVERIFY2(!watchdog.Fired(), "starting blocked on the FIFO");
            VerifyStartedWithoutSetting(dlg);
            QCOMPARE(CloseCapturingStderr(dlg), QStringList());
        }
        QVERIFY2(!watchdog.Fired(), "closing blocked on the FIFO");
        QVERIFY(IsRegularFile(SettingsPath()));
        QCOMPARE(ReadText(SettingsPath()), std::string(kCleanSettings));
    }

    void deviceInPlaceOfTheFileIsNotReadAndIsReplacedAtClose() {
        // A link to an endless device: reading it whole would never end.
        std::filesystem::create_directories(ConfigFolder());
        std::filesystem::create_symlink("/dev/zero", SettingsPath());
        {
            CQuillbeyDlg dlg;
            VerifyStartedWithoutSetting(dlg);
            QCOMPARE(CloseCapturingStderr(dlg), QStringList());
        }
        QVERIFY(IsRegularFile(SettingsPath()));
        QCOMPARE(ReadText(SettingsPath()), std::string(kCleanSettings));
    }

    void folderInPlaceOfTheFileIsLeftAloneAndTheCloseSaysSo() {
        std::filesystem::create_directories(SettingsPath());
        std::ofstream(SettingsPath() + "/keep.txt") << "kept";
        const TreeSnapshot before = ContentOf(m_config->Path());
        {
            CQuillbeyDlg dlg;
            VerifyStartedWithoutSetting(dlg);
            dlg.ChooseFolder(m_roms->Path());
            QVERIFY(QTest::qWaitFor([&] { return !dlg.IsBusy(); }, kScanTimeoutMs));
            QCOMPARE(CloseCapturingStderr(dlg), QStringList{CannotSaveLine("Is a directory")});
            QVERIFY(!dlg.isVisible());
        }
        // Nothing added (no temporary file left behind), nothing changed.
        QCOMPARE(QString::fromStdString(DescribeChanges(before, ContentOf(m_config->Path()))),
                 QString());
    }

    void configFolderThatIsAFileIsLeftAloneAndTheCloseSaysSo() {
        m_config->WriteText("quillbey", "a file where the settings folder belongs\n");
        const TreeSnapshot before = ContentOf(m_config->Path());
        {
            CQuillbeyDlg dlg;
            VerifyStartedWithoutSetting(dlg);
            QCOMPARE(CloseCapturingStderr(dlg), QStringList{CannotSaveLine("Not a directory")});
            QVERIFY(!dlg.isVisible());
        }
        QCOMPARE(QString::fromStdString(DescribeChanges(before, ContentOf(m_config->Path()))),
                 QString());
        QCOMPARE(ReadText(ConfigFolder()),
                 std::string("a file where the settings folder belongs\n"));
    }

    void fullDiskKeepsTheOldFileWholeAndTheCloseSaysSo() {
        // Room for a few bytes only: the new file cannot be written whole.
        const std::string old = "; mine\n[Settings]\nLast Directory=" + m_roms->Path() +
                                "\nExtra=1\n[Other]\nKey=Value\n";
        WriteSettings(old);
        const TempDir other;
        const TreeSnapshot before = ContentOf(ConfigFolder());
        QStringList lines;
        {
            CQuillbeyDlg dlg;
            QCOMPARE(dlg.FolderField()->text(), QString::fromStdString(m_roms->Path()));
            dlg.ChooseFolder(other.Path());
            QVERIFY(QTest::qWaitFor([&] { return !dlg.IsBusy(); }, kScanTimeoutMs));

            rlimit saved{};
            QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
            const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
            rlimit tiny = saved;
            tiny.rlim_cur = 16;
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
            lines = CloseCapturingStderr(dlg);
            ::setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, previousHandler);
            QVERIFY(!dlg.isVisible());
        }
        QCOMPARE(lines, QStringList{CannotSaveLine("File too large")});
        QCOMPARE(ReadText(SettingsPath()), old);
        QCOMPARE(QString::fromStdString(DescribeChanges(before, ContentOf(ConfigFolder()))),
                 QString());
    }
};

QTEST_MAIN(CQuillbeyDlgSettingsTest)
#include "CQuillbeyDlgSettingsTest.moc"
