// The program's icon in the notification area: added at start, added again
// when the taskbar is re-created, and turning clicks into the tray menu or
// its default command.
#pragma once

#include "framework/window.h"

#include <shellapi.h>

#include <string>

class CSystemTray : public CWnd {
public:
    CSystemTray() = default;
    ~CSystemTray() override;

    // Creates the tray's own hidden window and adds the icon (unless
    // `hidden`); false when the icon could not be added.
    bool Create(CWnd* parent, UINT callbackMessage, const char* tip, HICON icon, UINT id, bool hidden);
    bool RemoveIcon();
    void SetNotificationWnd(CWnd* window) { m_notifyWindow = window; }
    // The mouse message `mouseMessage` on icon `id`; 1 when it was handled.
    LRESULT OnTrayNotification(WPARAM id, LPARAM mouseMessage);

    bool isShown() const { return !m_hidden; }
    const NOTIFYICONDATAA& iconData() const { return m_iconData; }

    // Shell_NotifyIcon; tests replace it.
    static BOOL(WINAPI* s_notify)(DWORD message, PNOTIFYICONDATAA data);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool AddIcon();
    void OnTaskbarCreated();

    bool m_enabled = false;
    bool m_hidden = true;
    bool m_removed = false;
    bool m_showPending = false;
    CWnd* m_notifyWindow = nullptr;
    NOTIFYICONDATAA m_iconData = {};
    UINT m_savedFlags = 0;
    UINT m_defaultItem = 0;
    bool m_defaultByPosition = true;
};

// The registered "TaskbarCreated" message, broadcast when the shell's
// taskbar starts (again).
UINT TaskbarCreatedMessage();
