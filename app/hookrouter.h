// Decides, for each mouse report of the hook library, whether the run-time
// menus open, stay, close or receive it. The decisions are plain code over
// a port to the windows, so event sequences are tested without a screen.
#pragma once

#include "app/hookevent.h"

// What the routing asks of and does to the windows (the worker implements it).
class HookRoutingPort {
public:
    // The foreign pop-up menu on screen, or null.
    virtual HWND findForeignPopup() = 0;
    virtual bool isPopupClass(HWND window) = 0;
    virtual bool isMenuWindow(HWND window) = 0;
    virtual bool isWindow(HWND window) = 0;
    virtual bool isVisible(HWND window) = 0;
    virtual bool windowRect(HWND window, RECT& rect) = 0;
    // Whether the two windows belong to the same thread.
    virtual bool sameThread(HWND first, HWND second) = 0;
    // The control with the keyboard focus in the foreground window, or null.
    virtual HWND focusWindow() = 0;
    // Milliseconds on a steady clock.
    virtual DWORD now() = 0;
    virtual bool menusShown() = 0;
    // Closes the root menu and its chain.
    virtual void closeMenus() = 0;
    // Shows the root menu against the pop-up for the anchor; false on failure.
    virtual bool showRoot(HWND anchor, HWND popup, int x, int y) = 0;
    // Posts the mouse message to the menu window in its client coordinates.
    virtual void forwardToMenu(HWND window, UINT message, int x, int y) = 0;
    // Escape, then close, for a foreign pop-up.
    virtual void dismissPopup(HWND popup) = 0;
    // Queues the event behind those waiting.
    virtual void requeue(const HookMouseEvent& event) = 0;
    // The mouse left the menus: clear their highlights, and let the delay
    // close an open submenu.
    virtual void mouseLeftMenus() = 0;

protected:
    ~HookRoutingPort() = default;
};

HWND WindowOfEvent(const HookMouseEvent& event);

class CHookRouter {
public:
    explicit CHookRouter(HookRoutingPort& port) : m_port(port) {}

    void route(const HookMouseEvent& event);
    // A pop-up menu of another program has started; `pointer` is a move at
    // the pointer's position. Routed as that move, so the menus open only
    // against a visible pop-up while they are not shown. A pop-up with no
    // right press of its own behind it (opened from the keyboard) takes the
    // focus control as the anchor, and the root is placed as if clicked at
    // the pop-up's top.
    void popupStarted(const HookMouseEvent& pointer);

    HWND foreignPopup() const { return m_foreignPopup; }
    HWND anchorWindow() const { return m_anchorWindow; }
    void setForeignPopup(HWND window) { m_foreignPopup = window; }
    void setAnchorWindow(HWND window) { SetAnchor(window, AnchorSource::Kept); }

    // How long after its right press a pop-up still counts as opened by it.
    static constexpr DWORD kRightPressReachMs = 2000;

private:
    enum class AnchorSource { Kept, RightPress, InjectedRightPress, Focus };

    void CloseMenus();
    void SetAnchor(HWND window, AnchorSource source);
    // Whether the anchor is the right press that opened `popup`.
    bool AnchorOpened(HWND popup);

    HookRoutingPort& m_port;
    HWND m_foreignPopup = nullptr;
    HWND m_anchorWindow = nullptr;
    AnchorSource m_anchorSource = AnchorSource::Kept;
    DWORD m_anchorPressedAt = 0;
    // A left press fell on the menus since they were shown.
    bool m_pressedOnMenu = false;
};
