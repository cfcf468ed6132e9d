// The application object on Windows: runs the main dialog modally and lets
// the process end when it is closed.
#pragma once

#include "ui/QuillbeyStart.h"

class CQuillbeyDlg;

class CQuillbeyApp {
public:
    // `start`: the folder and DAT named on the command line, if any (UTF-8).
    explicit CQuillbeyApp(QuillbeyStart start);

    // Runs the dialog until the user closes it; false, as there is nothing to
    // do after it.
    bool InitInstance();

    CQuillbeyDlg* GetMainWnd() const { return m_pMainWnd; }

private:
    QuillbeyStart m_start;
    CQuillbeyDlg* m_pMainWnd = nullptr;
};
