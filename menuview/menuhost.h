// What the run-time menu windows share and need of the thread that owns
// them: the window class, metrics and font, the registry of open windows,
// the pool of submenu windows, the submenu delay and the chosen item.
#pragma once

#include "ahcommon/critsect.h"
#include "menuview/menulayout.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class CMenuWnd;
class CMenuItem;

// The system's menu metrics, as the run-time menus and the designer's
// panels both draw with them.
MenuMetrics ReadSystemMenuMetrics();

class CMenuWndHost {
public:
    CMenuWndHost();
    virtual ~CMenuWndHost();
    CMenuWndHost(const CMenuWndHost&) = delete;
    CMenuWndHost& operator=(const CMenuWndHost&) = delete;

    // On the owning thread: registers the window class, reads the metrics,
    // the menu font, the desktop and the hover time, and makes the hidden
    // root window. `rootIcon` is drawn before every root item. False when
    // the class or the window cannot be made.
    bool initMenuWindows(HICON rootIcon);
    // Destroys the root and the pooled windows; frees the font.
    void releaseMenuWindows();

    CMenuWnd& rootWindow() { return *m_rootWindow; }
    const std::string& menuClassName() const { return m_className; }
    const MenuMetrics& metrics() const { return m_metrics; }
    HFONT menuFont() const { return m_menuFont; }
    HICON rootIcon() const { return m_rootIcon; }
    // The work area of the monitor that holds `rect`, or of the nearest one.
    virtual RECT workAreaOf(const RECT& rect) const;
    UINT hoverTime() const { return m_hoverTime; }
    long measureText(const std::string& text);

    void registerMenuWindow(HWND window, CMenuWnd* menu);
    void unregisterMenuWindow(HWND window);
    // The open menu window of that handle, or null.
    CMenuWnd* menuWindowOf(HWND window);
    bool isMenuWindow(HWND window) { return menuWindowOf(window) != nullptr; }

    // Tells menuAreaChanged where the shown menu windows are now; past this
    // many shown windows (a chain of submenus that deep) the rest are left out.
    static const int kMaxMenuAreaRects = 16;
    void publishMenuArea();

    // A free submenu window object, bound to this host.
    CMenuWnd* takeMenuWindow();
    void returnMenuWindow(CMenuWnd* window);
    std::size_t pooledWindowCount();

    // The submenu delay: one window at a time waits for it; starting it for
    // another window replaces the waiting one.
    void startHoverDelay(CMenuWnd* window);
    // Stops the delay when `window` is the one waiting; else nothing.
    void cancelHoverDelay(CMenuWnd* window);
    CMenuWnd* hoverWindow();
    // The delay's timer fired: the waiting window gets WM_MOUSEHOVER.
    void onHoverDelayEnded();

    // Menus take no mouse input while the engine is busy.
    virtual bool engineReady() const = 0;
    // The user chose a leaf item.
    virtual void itemChosen(CMenuItem* item) = 0;

protected:
    // The system's menu font; false when it cannot be read.
    virtual bool readMenuFont(LOGFONTA& font);
    virtual void startHoverTimer(UINT milliseconds) = 0;
    // `dropQueued`: also forget an expiry already on its way.
    virtual void killHoverTimer(bool dropQueued) = 0;
    // The screen rectangles of the shown menu windows, after one was shown
    // or hidden (none when no menu is shown).
    virtual void menuAreaChanged(const RECT* rects, int count)
    {
        (void)rects;
        (void)count;
    }

    MenuMetrics m_metrics;

private:
    std::unique_ptr<CMenuWnd> m_rootWindow;
    std::string m_className;
    HFONT m_menuFont = nullptr;
    HDC m_measureDC = nullptr;
    HGDIOBJ m_oldFont = nullptr;
    HICON m_rootIcon = nullptr;
    UINT m_hoverTime = 400;

    CAhCriticalSection m_lock;
    CMenuWnd* m_hoverWindow = nullptr;
    std::map<HWND, CMenuWnd*> m_registry;
    std::vector<std::unique_ptr<CMenuWnd>> m_pool;
    std::vector<CMenuWnd*> m_freeWindows;
};
