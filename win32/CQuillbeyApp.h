// The application object on Windows: runs the main dialog modally and lets
// the process end when it is closed.
#pragma once

#include <optional>
#include <string>

class CQuillbeyDlg;

class CQuillbeyApp {
public:
    // `startFolder`: the folder named on the command line, if any (UTF-8).
    explicit CQuillbeyApp(std::optional<std::string> startFolder);

    // Runs the dialog until the user closes it; false, as there is nothing to
    // do after it.
    bool InitInstance();

    CQuillbeyDlg* GetMainWnd() const { return m_pMainWnd; }

private:
    std::optional<std::string> m_startFolder;
    CQuillbeyDlg* m_pMainWnd = nullptr;
};
