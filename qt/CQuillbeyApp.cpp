// Application start: the dialog lives on InitInstance's stack.
#include "CQuillbeyApp.h"

#include "CQuillbeyDlg.h"

#include <QEventLoop>

CQuillbeyApp::CQuillbeyApp(QuillbeyStart start) : m_start(std::move(start)) {}

bool CQuillbeyApp::InitInstance() {
    CQuillbeyDlg dlg(m_start);
    m_pMainWnd = &dlg;
    // Run until the dialog is closed. Shown as an ordinary window rather than
    // an application-modal one: it is the program's only window, and window
    // managers and task bars treat modal windows as dialogs of another.
    QEventLoop loop;
    QObject::connect(&dlg, &QDialog::finished, &loop, &QEventLoop::quit);
    dlg.show();
    loop.exec();
    m_pMainWnd = nullptr;
    return false;
}
