// The one window base class: the object pointer is stored when the window is
// created and every message goes through the virtual OnMessage, whose default
// routes commands and menu updates to OnCommand and OnUpdateCommand. Windows
// of system classes (dialogs) are subclassed at creation; Default then hands
// a message to the class's own procedure.
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

    // Binds the next window this thread creates to `object` and subclasses
    // it before its first message (for windows whose creation the framework
    // does not call itself, such as dialogs). The hook goes once it has
    // bound a window; EndCreationHook removes it when none was created.
    // False when the hook could not be set.
    static bool BeginCreationHook(CWnd& object);
    static void EndCreationHook();

    // Keyboard and mouse messages pass here before they are translated and
    // dispatched; true when the window has dealt with the message.
    virtual bool PreTranslateMessage(MSG* msg);
    // Offers `msg` to the framework windows from its target up through the
    // parents to the top-level window, stopping at the first that takes it.
    // Owners are not walked: a tool window's keys stay its own.
    static bool WalkPreTranslate(MSG* msg);

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
    void Subclass(HWND window);

    // The class procedure replaced by Subclass, or null.
    WNDPROC m_superProc = nullptr;

    static LRESULT CALLBACK CreationHookProc(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
