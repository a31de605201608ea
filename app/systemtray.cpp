#include "app/systemtray.h"

#include "app/appmessages.h"
#include "app/popupsearch.h"
#include "app/vantrelapp.h"
#include "framework/winapp.h"

#include <cstring>

BOOL(WINAPI* CSystemTray::s_notify)(DWORD, PNOTIFYICONDATAA) = &Shell_NotifyIconA;

UINT TaskbarCreatedMessage()
{
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

CSystemTray::~CSystemTray()
{
    RemoveIcon();
}

bool CSystemTray::Create(CWnd* parent, UINT callbackMessage, const char* tip, HICON icon, UINT id, bool hidden)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    m_enabled = GetVersionExA(&version) && version.dwMajorVersion >= 4;
#pragma GCC diagnostic pop
    if (!m_enabled) return false;
    TaskbarCreatedMessage();

    const RECT none = {0, 0, 0, 0};
    if (!CreateEx(0, RegisterWndClass(0), "CSystemTray", WS_POPUP, none, nullptr, 0)) return false;

    m_iconData = {};
    // The first form of the structure: a 64-byte tip, understood by every shell.
    m_iconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    m_iconData.hWnd = parent != nullptr && parent->m_hWnd != nullptr ? parent->m_hWnd : m_hWnd;
    m_iconData.uID = id;
    m_iconData.hIcon = icon;
    m_iconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_iconData.uCallbackMessage = callbackMessage;
    if (tip != nullptr) {
        std::strncpy(m_iconData.szTip, tip, 63);
        m_iconData.szTip[63] = '\0';
    }
    m_savedFlags = m_iconData.uFlags;
    m_removed = false;

    if (hidden) {
        m_hidden = true;
        return true;
    }
    const bool added = AddIcon();
    m_showPending = !added;
    return added;
}

bool CSystemTray::AddIcon()
{
    m_iconData.uFlags = m_savedFlags;
    const bool added = s_notify(NIM_ADD, &m_iconData) != FALSE;
    m_hidden = !added;
    return added;
}

bool CSystemTray::RemoveIcon()
{
    if (!m_enabled || m_removed) return false;
    m_iconData.uFlags = 0;
    const bool ok = s_notify(NIM_DELETE, &m_iconData) != FALSE;
    // Whatever the shell says, the icon is no longer wanted.
    m_removed = true;
    m_hidden = true;
    m_showPending = false;
    return ok;
}

void CSystemTray::OnTaskbarCreated()
{
    // A new taskbar knows nothing of our icon: add it again unless the
    // program has taken it away on purpose.
    if (!m_enabled || m_removed) return;
    m_showPending = !AddIcon();
}

LRESULT CSystemTray::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TaskbarCreatedMessage()) {
        OnTaskbarCreated();
        return 0;
    }
    if (message == WM_SETTINGCHANGE) {
        const LRESULT result = Default(message, wParam, lParam);
        // An add that failed earlier is tried again when the work area changes.
        if (wParam == SPI_SETWORKAREA && m_showPending) OnTaskbarCreated();
        return result;
    }
    if (message == m_iconData.uCallbackMessage && m_iconData.uCallbackMessage != 0)
        return OnTrayNotification(wParam, lParam);
    return CWnd::OnMessage(message, wParam, lParam);
}

LRESULT CSystemTray::OnTrayNotification(WPARAM id, LPARAM mouseMessage)
{
    if (id != m_iconData.uID) return 0;
    CWnd* target = m_notifyWindow;
    if (target == nullptr && AppObject() != nullptr) target = AppObject()->m_mainWnd;
    CVantrelApp* app = VantrelApp();
    if (target == nullptr || target->m_hWnd == nullptr || app == nullptr || app->engineReady.load() == 0) return 0;

    // Only the two clicks the icon answers bring an open dialog forward: a
    // pointer passing over the icon must not beep or take the focus.
    const UINT click = static_cast<UINT>(mouseMessage);
    if (click != WM_RBUTTONUP && click != WM_LBUTTONDBLCLK) return 1;
    if (lastPopupOf(target->m_hWnd) != target->m_hWnd) {
        PostMessageA(target->m_hWnd, FM_ACTIVATE_POPUP, 0, 0);
        return 0;
    }
    HMENU popup = app->trayPopup.load();
    switch (static_cast<UINT>(mouseMessage)) {
    case WM_RBUTTONUP: {
        if (popup != nullptr) SetMenuDefaultItem(popup, m_defaultItem, m_defaultByPosition ? TRUE : FALSE);
        POINT at = {0, 0};
        GetCursorPos(&at);
        SendMessageA(target->m_hWnd, FM_SET_BUSY, 1, BUSY_TRAY_MENU);
        PostMessageA(target->m_hWnd, FM_TRAY_MENU, MAKEWPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y)), 0);
        return 1;
    }
    case WM_LBUTTONDBLCLK: {
        SetForegroundWindow(target->m_hWnd);
        UINT command = m_defaultItem;
        if (m_defaultByPosition) command = popup != nullptr ? GetMenuItemID(popup, m_defaultItem) : 0;
        if (command != 0 && command != static_cast<UINT>(-1))
            SendMessageA(target->m_hWnd, WM_COMMAND, MAKEWPARAM(command, 0), 0);
        return 1;
    }
    default:
        return 1;
    }
}
