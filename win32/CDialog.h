// A dialog window made from a template in the program's resources, run
// modally or modeless, with its messages handed to a member function: what
// a dialog class needs from Windows before it has anything of its own.
#pragma once

#include <windows.h>

class CDialog {
public:
    explicit CDialog(int templateId) : m_nTemplateId(templateId) {}
    // Destroys the window if it still exists.
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog until it is ended.
    INT_PTR DoModal(HWND owner = nullptr);
    // Creates the dialog and returns at once; the caller's message loop passes
    // the messages through IsDialogMessage. nullptr on failure.
    HWND Create(HWND owner = nullptr);

    HWND GetSafeHwnd() const { return m_hWnd; }

protected:
    // One message; TRUE when handled (with its result set by SetResult where
    // the message has one), FALSE for the default handling.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    INT_PTR SetResult(LRESULT result);
    // Ends a modal run, or destroys a modeless window.
    void EndDialog(INT_PTR result);

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    int m_nTemplateId;
    bool m_bModal = false;
};
