// The application object: runs the main dialog modally and lets the process
// end when it is closed.
#pragma once

#include <optional>
#include <string>

class QWidget;

class CQuillbeyApp {
public:
    // `startFolder`: the folder named on the command line, if any.
    explicit CQuillbeyApp(std::optional<std::string> startFolder);

    // Runs the dialog until the user closes it; false, as there is nothing to
    // do after it.
    bool InitInstance();

    QWidget* GetMainWnd() const { return m_pMainWnd; }

private:
    std::optional<std::string> m_startFolder;
    QWidget* m_pMainWnd = nullptr;
};
