// quillbey: the desktop program.
#include "CQuillbeyApp.h"
#include "QuillbeyVersion.h"

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

// Parses the command line. --help, --version and usage errors are answered
// here and end the process, before any window system is needed.
QStringList ParseArguments(QCoreApplication& application) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the Game Boy Advance ROM images of a folder and decodes their cartridge headers."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QStringLiteral("Folder to show and scan at start."),
                                 QStringLiteral("[FOLDER]"));
    parser.process(application);
    return parser.positionalArguments();
}

} // namespace

int main(int argc, char** argv) {
    QStringList positional;
    {
        QCoreApplication core(argc, argv);
        SetProgramNames();
        positional = ParseArguments(core);
    }
    QApplication application(argc, argv);
    SetProgramNames();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/res/icon128.png")));

    std::optional<std::string> startFolder;
    if (!positional.isEmpty()) {
        // Stored at close, so kept absolute: a relative path would mean
        // something else in the next run.
        const QString folder = QFileInfo(positional.front()).absoluteFilePath();
        startFolder = QFile::encodeName(folder).toStdString();
    }
    CQuillbeyApp app(std::move(startFolder));
    app.InitInstance();
    return 0;
}
