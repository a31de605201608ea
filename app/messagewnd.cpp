#include "app/messagewnd.h"

#include <cstring>

bool CMessageWnd::Create()
{
    const RECT none = {0, 0, 0, 0};
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_NOPARENTNOTIFY, RegisterWndClass(CS_HREDRAW), "CMessageWnd", WS_POPUP,
                    none, nullptr, 0) != FALSE;
}

void CMessageWnd::setOwner(HookEventSink* owner, const std::atomic<int>* engineReady)
{
    m_owner = owner;
    m_engineReady = engineReady;
}

LRESULT CMessageWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
    }
    return CWnd::OnMessage(message, wParam, lParam);
}

void CMessageWnd::OnCopyData(const COPYDATASTRUCT* data)
{
    if (m_engineReady != nullptr && m_engineReady->load() == 0) return;
    // A block too short for a report is not read at all.
    if (data == nullptr || data->lpData == nullptr || data->cbData < sizeof(HookMouseEvent)) return;
    HookMouseEvent event;
    std::memcpy(&event, data->lpData, sizeof event);
    // Any program may send this window data: only what the hook library
    // reports reaches the routing, which posts its message to the menus.
    if (!IsHookReportMessage(event.message)) return;
    if (std::memcmp(&event, &m_lastEvent, sizeof event) == 0) return;
    m_lastEvent = event;
    if (m_owner != nullptr) m_owner->enqueueHookEvent(event);
}
