// quillbey: the desktop program.
#include "CQuillbeyApp.h"
#include "QuillbeyVersion.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QIcon>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbey"));
    QApplication::setApplicationVersion(QString::fromLatin1(kQuillbeyVersion));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/res/icon128.png")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the Game Boy Advance ROM images of a folder and decodes their cartridge headers."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QStringLiteral("Folder to show and scan at start."),
                                 QStringLiteral("[FOLDER]"));
    parser.process(application);

    std::optional<std::string> startFolder;
    if (!parser.positionalArguments().isEmpty()) {
        // Stored at close, so kept absolute: a relative path would mean
        // something else in the next run.
        const QString folder = QFileInfo(parser.positionalArguments().front()).absoluteFilePath();
        startFolder = QFile::encodeName(folder).toStdString();
    }
    CQuillbeyApp app(std::move(startFolder));
    app.InitInstance();
    return 0;
}
