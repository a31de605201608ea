#include "designer/palettepage.h"

#include <vector>

namespace {

// Key code 3 ends an edit like Enter and Escape do.
const WPARAM kCancelKey = 3;

bool KeyHeld(int key)
{
    return GetKeyState(key) < 0;
}

// The direct child of `page` that holds `window` (a combo box for its edit
// field), or null when `window` is not inside the page.
HWND PageChildOf(HWND page, HWND window)
{
    while (window != nullptr && window != page) {
        HWND parent = GetParent(window);
        if (parent == page) return window;
        window = parent;
    }
    return nullptr;
}

bool IsTabStop(HWND control)
{
    const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
    return (style & WS_TABSTOP) != 0 && (style & WS_VISIBLE) != 0 && (style & WS_DISABLED) == 0;
}

}  // namespace

bool CPalettePage::showPage(bool show, bool refresh)
{
    if (m_hWnd == nullptr) {
        if (!show) return true;
        if (m_host == nullptr || !Create(m_host->hostWindow())) return false;
    }
    if (show && refresh && m_host != nullptr && m_host->currentPanel() != nullptr) {
        reload();
        updateEnabling();
    }
    ShowWindow(m_hWnd, show ? SW_SHOW : SW_HIDE);
    return true;
}

CMenuPanel* CPalettePage::currentPanel() const
{
    return m_host != nullptr ? m_host->currentPanel() : nullptr;
}

BOOL CPalettePage::OnInitDialog()
{
    CDialog::OnInitDialog();
    // Whatever the template says, the page is a plain control parent inside
    // the palette, hidden until the palette shows it.
    SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(kPageStyle));
    SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, WS_EX_CONTROLPARENT);
    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (m_host != nullptr) {
        RECT area = m_host->pageRect();
        InflateRect(&area, -3, -3);
        MoveWindow(m_hWnd, area.left, area.top, area.right - area.left, area.bottom - area.top, FALSE);
        HFONT font = m_host->pageFont();
        if (font != nullptr) {
            for (HWND child = GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
                SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
    }
    // The palette decides where the focus goes.
    return FALSE;
}

HWND CPalettePage::tabStopControl(bool last) const
{
    if (m_hWnd == nullptr) return nullptr;
    HWND found = nullptr;
    for (HWND child = GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsTabStop(child)) continue;
        found = child;
        if (!last) break;
    }
    return found;
}

void CPalettePage::NextControl(bool backwards)
{
    std::vector<HWND> stops;
    for (HWND child = GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if (IsTabStop(child)) stops.push_back(child);

    HWND focused = PageChildOf(m_hWnd, GetFocus());
    HWND target = nullptr;
    if (focused == nullptr) {
        if (!stops.empty()) target = backwards ? stops.back() : stops.front();
    } else {
        // The focused control itself may not be a tab stop: its neighbours
        // are found by its place among all the children.
        bool passed = false;
        HWND previous = nullptr;
        for (HWND child = GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            if (child == focused) {
                if (backwards) {
                    target = previous;
                    break;
                }
                passed = true;
                continue;
            }
            if (!IsTabStop(child)) continue;
            if (passed) {
                target = child;
                break;
            }
            previous = child;
        }
    }
    if (target == nullptr) {
        if (m_host != nullptr) SetFocus(m_host->hostWindow());
        return;
    }
    // The dialog manager's own move selects an edit field's whole text.
    Default(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
}

bool CPalettePage::handleSysKey(const MSG& msg)
{
    if (m_hWnd == nullptr || !IsWindowVisible(m_hWnd)) return false;
    MSG forPage = msg;
    forPage.hwnd = m_hWnd;
    return IsDialogMessageA(m_hWnd, &forPage) != FALSE;
}

bool CPalettePage::PreTranslateMessage(MSG* msg)
{
    if (m_hWnd == nullptr || m_host == nullptr) return false;
    if (m_host->ownerInModalState()) return false;
    if (msg->message == WM_KEYDOWN) {
        switch (msg->wParam) {
        case VK_RETURN:
        case VK_ESCAPE:
        case kCancelKey:
            if (m_host->handlePaletteKey(msg)) return true;
            break;
        case VK_TAB:
            if (KeyHeld(VK_CONTROL)) {
                m_host->stepTab(!KeyHeld(VK_SHIFT));
                return true;
            }
            PostMessageA(m_hWnd, WM_NEXTDLGCTL, KeyHeld(VK_SHIFT) ? 1 : 0, 0);
            return true;
        default:
            break;
        }
    }
    return CDialog::PreTranslateMessage(msg);
}

BOOL CPalettePage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_SETFOCUS:
        if (m_host != nullptr) SetFocus(m_host->hostWindow());
        result = 0;
        return TRUE;
    case WM_NEXTDLGCTL:
        // A request by direction; one naming a control is the dialog
        // manager's.
        if (LOWORD(lParam) != 0) return FALSE;
        NextControl(wParam != 0);
        result = 0;
        return TRUE;
    default:
        return FALSE;
    }
}
