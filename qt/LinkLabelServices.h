// What a link label needs from the desktop to open its target and to report
// a failure. The label takes them as replaceable functions so that it can be
// exercised without starting a browser or blocking on a message box.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QString;
class QWidget;

struct LinkLabelServices {
    // Opens the target the desktop's usual way; a launch result (see OpenErrorText.h).
    std::function<int(const std::string& target)> openWithShell;
    // The web browser's command template ("%1" for the link), or nullopt when
    // the desktop names none.
    std::function<std::optional<std::string>()> browserCommand;
    // Starts a program from an argument vector, without a shell; a launch result.
    std::function<int(const std::vector<std::string>& arguments)> runCommand;
    std::function<void()> beep;
    // Shows a modal warning box with the application's name as its title.
    std::function<void(QWidget* owner, const QString& text)> showMessage;
};

// The services of the running desktop: its URL opener, its default HTML
// application, detached processes, the system beep and a message box.
LinkLabelServices DesktopLinkLabelServices();
