// The application object: runs the main dialog modally and lets the process
// end when it is closed.
#pragma once

#include "ui/QuillbeyStart.h"

class QWidget;

class CQuillbeyApp {
public:
    // `start`: the folder and DAT named on the command line, if any.
    explicit CQuillbeyApp(QuillbeyStart start);

    // Runs the dialog until the user closes it; false, as there is nothing to
    // do after it.
    bool InitInstance();

    QWidget* GetMainWnd() const { return m_pMainWnd; }

private:
    QuillbeyStart m_start;
    QWidget* m_pMainWnd = nullptr;
};
