// quillbey: the desktop program.
#include "CQuillbeyApp.h"
#include "QuillbeyVersion.h"
#include "ui/QuillbeyStart.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>

namespace {

// Set anew for each application object: they belong to it.
void SetProgramNames() {
    QCoreApplication::setApplicationName(QStringLiteral("Quillbey"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kQuillbeyVersion));
}

// Stored at close, so kept absolute: a relative path would mean something
// else in the next run.
std::string AbsolutePath(const QString& path) {
    return QFile::encodeName(QFileInfo(path).absoluteFilePath()).toStdString();
}

// Parses the command line. --help, --version and usage errors are answered
// here and end the process, before any window system is needed.
QuillbeyStart ParseArguments(QCoreApplication& application) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the Game Boy Advance ROM images of a folder and decodes their cartridge headers."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption datOption(
        QStringLiteral("dat"),
        QStringLiteral("DAT file to check the images against (Logiqx XML or clrmamepro text, "
                       "plain or zipped)."),
        QStringLiteral("FILE"));
    parser.addOption(datOption);
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QStringLiteral("Folder to show and scan at start."),
                                 QStringLiteral("[FOLDER]"));
    parser.process(application);
    QuillbeyStart start;
    if (!parser.positionalArguments().isEmpty()) {
        start.folder = AbsolutePath(parser.positionalArguments().front());
    }
    if (parser.isSet(datOption)) {
        start.datFile = AbsolutePath(parser.value(datOption));
    }
    return start;
}

} // namespace

int main(int argc, char** argv) {
    QuillbeyStart start;
    {
        QCoreApplication core(argc, argv);
        SetProgramNames();
        start = ParseArguments(core);
    }
    QApplication application(argc, argv);
    SetProgramNames();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/res/icon128.png")));

    CQuillbeyApp app(std::move(start));
    app.InitInstance();
    return 0;
}
