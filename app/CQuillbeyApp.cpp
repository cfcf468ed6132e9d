// Application start: the dialog lives on InitInstance's stack.
#include "CQuillbeyApp.h"

#include "CQuillbeyDlg.h"

CQuillbeyApp::CQuillbeyApp(std::optional<std::string> startFolder)
    : m_startFolder(std::move(startFolder)) {}

bool CQuillbeyApp::InitInstance() {
    CQuillbeyDlg dlg(m_startFolder);
    m_pMainWnd = &dlg;
    dlg.exec();
    m_pMainWnd = nullptr;
    return false;
}
