#include "app/processthread.h"

#include "app/appmessages.h"
#include "framework/sentwait.h"

const CRuntimeThread CProcessThread::classCProcessThread = {"CProcessThread"};

CProcessThread::CProcessThread() : m_menusClosedEvent(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

CProcessThread::~CProcessThread()
{
    if (m_menusClosedEvent != nullptr) CloseHandle(m_menusClosedEvent);
}

const CRuntimeThread* CProcessThread::GetRuntimeThread() const
{
    return &classCProcessThread;
}

bool CProcessThread::FirstestProcess()
{
    if (m_menusClosedEvent == nullptr || m_owner == nullptr) return false;
    // Owning a message queue before anyone posts to this thread.
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    m_owner->startHookReports();
    return true;
}

void CProcessThread::Running()
{
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (msg.hwnd != nullptr) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        switch (msg.message) {
        case TM_HOOK_EVENTS:
            TakeHookEvents();
            break;
        case TM_EVENT_MESSAGES:
            DoEventMessage();
            break;
        default:
            break;
        }
    }
}

void CProcessThread::LastestProcess() {}

void CProcessThread::TakeHookEvents()
{
    // One wake-up may find several events (or none: an earlier wake-up took
    // them); a stop request ends the batch after the current event.
    if (CheckKillEvent()) return;
    while (m_owner->dequeueHookEvent(m_currentEvent)) {
        ++m_eventsTaken;
        if (CheckKillEvent()) break;
    }
}

UINT CProcessThread::CloseMenus()
{
    // No menus are shown yet, so there is nothing to close but the signal.
    SetEvent(m_menusClosedEvent);
    return 0;
}

void CProcessThread::closeMenusAndWait()
{
    PostEventMessage(EV_CLOSE_MENUS, 0, 0);
    WaitHandlingSentMessages(m_menusClosedEvent);
}

UINT CProcessThread::OnEventMessage(_tagEMSG* msg)
{
    if (msg->message == EV_CLOSE_MENUS) return CloseMenus();
    return CSimpleThread::OnEventMessage(msg);
}

int CProcessThread::CheckKillEvent()
{
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) ? 1 : 0;
}

void CProcessThread::SetKillEvent()
{
    PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
}

void CProcessThread::SetMessageEvent()
{
    PostThreadMessageA(m_threadId, TM_EVENT_MESSAGES, 0, 0);
}
