// The desktop's implementations of the services a link label uses.
#include "LinkLabelServices.h"

#include "DesktopHandler.h"
#include "ui/LinkFallback.h"
#include "ui/OpenErrorText.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int OpenUrl(const std::string& target) {
    const QUrl url = QUrl::fromUserInput(FromUtf8(target));
    return QDesktopServices::openUrl(url) ? kLaunchSucceeded : kErrNoAssociation;
}

std::optional<std::string> DefaultBrowserCommand() {
    const auto exec = FindDefaultHandlerExec(XdgDirsFromEnvironment(), "text/html");
    if (!exec) {
        return std::nullopt;
    }
    return ExecToCommandTemplate(*exec);
}

// Why a program cannot be started, told the way a failed launch is reported.
int MissingProgramCode(const QString& program) {
    const QFileInfo info(program);
    if (!info.isAbsolute()) {
        return kErrFileNotFound;
    }
    if (!info.dir().exists()) {
        return kErrPathNotFound;
    }
    if (!info.exists()) {
        return kErrFileNotFound;
    }
    return kErrAccessDenied;
}

int RunDetached(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return kErrFileNotFound;
    }
    const QString program = FromUtf8(arguments.front());
    const QFileInfo info(program);
    const QString resolved = info.isAbsolute()
                                 ? (info.isFile() && info.isExecutable() ? program : QString())
                                 : QStandardPaths::findExecutable(program);
    if (resolved.isEmpty()) {
        return MissingProgramCode(program);
    }
    QStringList programArguments;
    for (auto it = arguments.begin() + 1; it != arguments.end(); ++it) {
        programArguments << FromUtf8(*it);
    }
    // The program was found and may be run: a start that still fails means
    // the file is not something the system can execute.
    return QProcess::startDetached(resolved, programArguments) ? kLaunchSucceeded : kErrBadFormat;
}

void ShowWarning(QWidget* owner, const QString& text) {
    QMessageBox::warning(owner, QGuiApplication::applicationDisplayName(), text);
}

} // namespace

LinkLabelServices DesktopLinkLabelServices() {
    LinkLabelServices services;
    services.openWithShell = OpenUrl;
    services.browserCommand = DefaultBrowserCommand;
    services.runCommand = RunDetached;
    services.beep = &QApplication::beep;
    services.showMessage = ShowWarning;
    return services;
}
