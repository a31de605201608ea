#include "app/hookrouter.h"

namespace {

bool IsRightPress(UINT message)
{
    return message == WM_RBUTTONDOWN || message == WM_NCRBUTTONDOWN;
}

bool IsLeftPress(UINT message)
{
    return message == WM_LBUTTONDOWN || message == WM_NCLBUTTONDOWN;
}

bool IsLeftRelease(UINT message)
{
    return message == WM_LBUTTONUP || message == WM_NCLBUTTONUP;
}

bool IsMove(UINT message)
{
    return message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE;
}

}  // namespace

HWND WindowOfEvent(const HookMouseEvent& event)
{
    // Window handles carry 32 significant bits, also on 64-bit Windows.
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(event.window));
}

void CHookRouter::CloseMenus()
{
    if (m_port.menusShown()) m_port.closeMenus();
}

void CHookRouter::SetAnchor(HWND window, AnchorSource source)
{
    m_anchorWindow = window;
    m_anchorSource = window != nullptr ? source : AnchorSource::Kept;
    if (source == AnchorSource::RightPress || source == AnchorSource::InjectedRightPress) m_anchorPressedAt = m_port.now();
}

bool CHookRouter::AnchorOpened(HWND popup)
{
    if (m_anchorSource != AnchorSource::RightPress && m_anchorSource != AnchorSource::InjectedRightPress) return false;
    if (m_anchorWindow == nullptr || !m_port.isWindow(m_anchorWindow)) return false;
    // A right press that opened no pop-up, or one in another program, says
    // nothing of where a pop-up opened later from the keyboard should type.
    return m_port.now() - m_anchorPressedAt <= kRightPressReachMs && m_port.sameThread(m_anchorWindow, popup);
}

void CHookRouter::popupStarted(const HookMouseEvent& pointer)
{
    // Once shown, the menus follow the pop-up through the mouse events.
    if (m_port.menusShown()) return;
    const HWND popup = m_port.findForeignPopup();
    if (popup == nullptr) return;
    if (AnchorOpened(popup)) {
        // As for the mouse: what a program clicked opens nothing by itself.
        if (m_anchorSource == AnchorSource::InjectedRightPress) return;
    } else {
        const HWND focus = m_port.focusWindow();
        if (focus == nullptr) return;
        SetAnchor(focus, AnchorSource::Focus);
    }
    HookMouseEvent move = pointer;
    move.message = WM_MOUSEMOVE;
    move.injected = 0;
    route(move);
}

void CHookRouter::route(const HookMouseEvent& event)
{
    const HWND found = m_port.findForeignPopup();
    const HWND window = WindowOfEvent(event);
    const UINT message = event.message;

    if (m_port.isMenuWindow(window)) {
        m_foreignPopup = found;
        if (event.injected != 0) return;
        // A press on our menu is what makes some programs (Wine's menus)
        // close their pop-up at once: the press, and what follows it on the
        // menus, still reach them, so the press can choose its item.
        if (IsLeftPress(message) && event.injected == 0) m_pressedOnMenu = true;
        if (found == nullptr && m_port.menusShown() && !m_pressedOnMenu) {
            SetAnchor(nullptr, AnchorSource::Kept);
            m_port.closeMenus();
            return;
        }
        m_port.forwardToMenu(window, message, event.x, event.y);
        return;
    }

    // A pop-up the routing has not seen before this event may be the one
    // this very event opened: its report can wait behind a busy worker
    // (typing an item, loading a menu) until the pop-up is on screen.
    const bool popupKnown = found == m_foreignPopup;
    if (found != m_foreignPopup) {
        m_foreignPopup = found;
        if (m_port.menusShown()) {
            SetAnchor(nullptr, AnchorSource::Kept);
            m_port.closeMenus();
        }
    }

    if (window != m_foreignPopup) {
        if (IsRightPress(message)) {
            if (!m_port.isPopupClass(window)) {
                CloseMenus();
                // Only the pop-up the menus knew goes; a new one is this
                // press's own, and the menus open against it next.
                if (popupKnown && m_foreignPopup != nullptr && m_anchorWindow != nullptr &&
                    m_port.isWindow(m_foreignPopup) && m_port.isVisible(m_foreignPopup)) {
                    m_port.dismissPopup(m_foreignPopup);
                    m_foreignPopup = nullptr;
                }
                SetAnchor(window, event.injected != 0 ? AnchorSource::InjectedRightPress : AnchorSource::RightPress);
            }
        } else if (IsLeftPress(message)) {
            if (m_port.isPopupClass(window)) return;
            SetAnchor(nullptr, AnchorSource::Kept);
            CloseMenus();
            return;
        }
    }

    if (m_foreignPopup == nullptr) {
        if (m_port.menusShown()) {
            SetAnchor(nullptr, AnchorSource::Kept);
            m_port.closeMenus();
        }
        return;
    }

    const bool shown = m_port.menusShown();
    if (IsLeftRelease(message) && !shown) {
        // The release acts as a move, once the events before it are done.
        HookMouseEvent repost = event;
        repost.message = WM_MOUSEMOVE;
        m_port.requeue(repost);
    }

    if (!shown) {
        if (!IsMove(message) || event.injected != 0) return;
        if (m_anchorWindow == nullptr || !m_port.isWindow(m_anchorWindow)) return;
        if (!m_port.isWindow(m_foreignPopup) || !m_port.isVisible(m_foreignPopup)) return;
        m_pressedOnMenu = false;
        // An anchor taken from the keyboard focus has no click: the pop-up's
        // top stands for it.
        int y = event.y;
        RECT popupRect;
        if (m_anchorSource == AnchorSource::Focus && m_port.windowRect(m_foreignPopup, popupRect)) y = popupRect.top;
        if (!m_port.showRoot(m_anchorWindow, m_foreignPopup, event.x, y)) SetAnchor(nullptr, AnchorSource::Kept);
        return;
    }
    m_port.mouseLeftMenus();
}
