// A static text control that acts as a hyperlink, on Windows: drawn in a link
// colour (another once its target has been opened, a third under the mouse),
// underlined unless told otherwise, fitted to its text, with the hand cursor
// and a tooltip showing the target. A click opens the target through the
// shell, falling back to the program registered for ".htm" files; a failure
// beeps and is explained in a message box.
//
// The label subclasses a static control of a dialog (Attach). The dialog
// passes on what a static control tells its parent: WM_CTLCOLORSTATIC for
// the label goes to CtlColor, and its STN_CLICKED to OnLinkClicked.
#pragma once

#include <windows.h>

#include <string>

class CLinkLabel {
public:
    CLinkLabel();
    ~CLinkLabel();
    CLinkLabel(const CLinkLabel&) = delete;
    CLinkLabel& operator=(const CLinkLabel&) = delete;

    // Binds the label to `hwnd`: click notices on, the target and the text
    // fill each other in when empty, the font gets its underline, the window
    // is fitted to its text, and the cursor and tooltip are set up.
    void Attach(HWND hwnd);

    // The setters store; once attached they also update the window.
    void SetTarget(const std::string& target); // UTF-8
    // A hover colour of CLR_INVALID stands for the system's highlight colour now.
    void SetLinkColors(COLORREF link, COLORREF visited, COLORREF hover);
    void SetLinkVisited(bool visited);
    void SetUnderlined(bool underlined);

    // Opens the target, and marks the label visited or explains the failure.
    void OnLinkClicked();
    // The colours of the reflected WM_CTLCOLORSTATIC: the text in the link
    // colour of the moment, over `background`, the brush the parent paints
    // its static controls with.
    HBRUSH CtlColor(HDC dc, HBRUSH background) const;

    HWND GetSafeHwnd() const { return m_hWnd; }
    const std::string& GetTarget() const { return m_strTarget; }
    bool IsLinkVisited() const { return m_bLinkVisited; }

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void FitToText();
    void LoadHandCursor();
    void CreateTooltip();
    void ApplyLinkFont();
    void OnMouseMove(POINT point);
    void SetHover(bool hover);
    void EndHover();
    void RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam) const;
    void Redraw() const;
    std::wstring WindowText() const;
    // Opens `target`; returns the launch result (above 32: opened).
    static int OpenTarget(const std::string& target, int showCommand);
    static int RunCommandLine(const std::string& commandLine, int showCommand);
    // Reads the default value of `subKey` under `root`; 0 or the registry's status.
    static LONG ReadRegDefault(HKEY root, const std::wstring& subKey, std::wstring& value);
    void ShowOpenError(int code) const;

    COLORREF m_clrLink;
    COLORREF m_clrVisited;
    COLORREF m_clrHover;
    bool m_bHover = false;
    bool m_bLinkVisited = false;
    bool m_bUnderlined = true;
    std::string m_strTarget;
    HFONT m_fontLink = nullptr;
    HCURSOR m_hHandCursor = nullptr;
    HWND m_hWnd = nullptr;
    HWND m_wndTip = nullptr;
};
