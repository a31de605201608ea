// The one window base class: the object pointer is stored when the window is
// created and every message goes through the virtual OnMessage, whose default
// routes commands and menu updates to OnCommand and OnUpdateCommand.
#pragma once

#include <windows.h>

#include <string>

class CCmdUI;

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Registers (once per distinct set of arguments) a window class whose
    // procedure is the framework's, and returns its name.
    static std::string RegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr,
                                        HBRUSH background = nullptr, HICON icon = nullptr);

    // Creates the window; on success m_hWnd is set before WM_CREATE arrives.
    BOOL CreateEx(DWORD exStyle, const std::string& className, const char* windowName,
                  DWORD style, const RECT& rect, HWND parent, UINT_PTR id);
    BOOL DestroyWindow();

    HWND GetSafeHwnd() const { return m_hWnd; }
    // The object of a window made by this framework, or null.
    static CWnd* FromHandle(HWND window);

    // Runs the command-update handlers of a popup's items (see cmdui.h).
    virtual bool OnUpdateCommand(CCmdUI& ui);
    // True when the window carries out `id` (used to disable the others).
    virtual bool HandlesCommand(UINT id) const;

    HWND m_hWnd = nullptr;

protected:
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // WM_COMMAND from a menu, accelerator or control; false to pass it on.
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    // The window has gone and m_hWnd is null; owners may delete the object.
    virtual void PostNcDestroy() {}
    // The default processing of the message being handled.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
