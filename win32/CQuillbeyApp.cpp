// Application start: the dialog lives on InitInstance's stack.
#include "CQuillbeyApp.h"

#include "CQuillbeyDlg.h"
#include "ui/ScanJobs.h"

#include <objbase.h>

CQuillbeyApp::CQuillbeyApp(QuillbeyStart start) : m_start(std::move(start)) {}

bool CQuillbeyApp::InitInstance() {
    // The folder browser and the shell's opening of links run on COM.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    {
        CQuillbeyDlg dlg(m_start);
        dlg.SetScanOptions(ScanOptionsFromEnvironment());
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return false;
}
