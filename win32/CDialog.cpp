// Dialog windows from templates, with their messages sent to the object.
#include "CDialog.h"

#include <commctrl.h>

namespace {

HINSTANCE ModuleInstance() {
    return GetModuleHandleW(nullptr);
}

// The list view and tooltip classes of the common controls.
void RegisterCommonControls() {
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                             ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

} // namespace

CDialog::~CDialog() {
    if (m_hWnd != nullptr) {
        DestroyWindow(m_hWnd);
    }
}

INT_PTR CDialog::DoModal(HWND owner) {
    RegisterCommonControls();
    m_bModal = true;
    return DialogBoxParamW(ModuleInstance(), MAKEINTRESOURCEW(m_nTemplateId), owner, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

HWND CDialog::Create(HWND owner) {
    RegisterCommonControls();
    m_bModal = false;
    return CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(m_nTemplateId), owner, DialogProc,
                              reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(INT_PTR result) {
    if (m_bModal) {
        ::EndDialog(m_hWnd, result);
    } else {
        DestroyWindow(m_hWnd);
    }
}

INT_PTR CDialog::SetResult(LRESULT result) {
    SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = hwnd;
    }
    auto* dlg = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (dlg == nullptr) {
        return FALSE; // messages before WM_INITDIALOG
    }
    const INT_PTR result = dlg->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        dlg->m_hWnd = nullptr;
    }
    return result;
}
