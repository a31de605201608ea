#include "simplethread.h"

#include <process.h>

// Defined with the timer service: drops every timer of `owner` and waits for
// a timer message being posted to it.
void RemoveThreadTimers(CSimpleThread* owner);

const CRuntimeThread CThreadObject::classCThreadObject = {"CThreadObject"};
const CRuntimeThread CSimpleThread::classCSimpleThread = {"CSimpleThread"};

_tagEMSG::_tagEMSG() : message(0), wParam(0), lParam(0)
{
}

_tagEMSG::_tagEMSG(UINT message, UINT_PTR wParam, UINT_PTR lParam)
    : message(message), wParam(wParam), lParam(lParam)
{
}

CThreadObject::CThreadObject()
{
}

CThreadObject::CThreadObject(const CThreadObject&)
{
}

CThreadObject& CThreadObject::operator=(const CThreadObject&)
{
    return *this;
}

CThreadObject::~CThreadObject()
{
}

const CRuntimeThread* CThreadObject::GetRuntimeThread() const
{
    return &classCThreadObject;
}

CSimpleThread::CSimpleThread()
{
    Construct();
}

CSimpleThread::CSimpleThread(const CSimpleThread& other) : CThreadObject(other)
{
    Construct();
}

CSimpleThread& CSimpleThread::operator=(const CSimpleThread&)
{
    return *this;
}

void CSimpleThread::Construct()
{
    m_thread = nullptr;
    m_threadId = 0;
    m_lastWaitResult = 0;
    m_lastWaitIndex = 0;
    m_running = 0;
    m_signalPending = 0;
    m_exitEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_killEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_runningEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_messageEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    for (HANDLE& handle : m_waitHandles) handle = nullptr;
}

CSimpleThread::~CSimpleThread()
{
    RemoveThreadTimers(this);
    // The owner should have called Close; if the body is still running, ask
    // it to stop rather than free what it uses under it.
    if (m_running != 0 && m_killEvent != nullptr) SetEvent(m_killEvent);
    JoinThread();
    for (HANDLE event : {m_exitEvent, m_killEvent, m_runningEvent, m_messageEvent}) {
        if (event != nullptr) CloseHandle(event);
    }
}

const CRuntimeThread* CSimpleThread::GetRuntimeThread() const
{
    return &classCSimpleThread;
}

int CSimpleThread::Open()
{
    if (m_running != 0) return 0;
    if (m_exitEvent == nullptr || m_killEvent == nullptr || m_runningEvent == nullptr ||
        m_messageEvent == nullptr)
        return 0;
    // A worker that ended by itself is joined before its events are reused.
    JoinThread();
    ResetEvent(m_exitEvent);
    ResetEvent(m_killEvent);
    ResetEvent(m_runningEvent);
    InterlockedExchange(&m_running, 1);

    unsigned id = 0;
    const uintptr_t thread = _beginthreadex(nullptr, 0, workerProc, this, 0, &id);
    if (thread == 0) {
        // Look like a worker that refused to start, so that WaitRunning and
        // Close return at once.
        InterlockedExchange(&m_running, 0);
        SetEvent(m_runningEvent);
        SetEvent(m_exitEvent);
        return 0;
    }
    m_thread = reinterpret_cast<HANDLE>(thread);
    m_threadId = id;
    return 1;
}

unsigned __stdcall CSimpleThread::workerProc(void* param)
{
    CSimpleThread* self = static_cast<CSimpleThread*>(param);
    // Open stores the same value once _beginthreadex returns; set here too so
    // that FirstestProcess may already address the thread's message queue.
    self->m_threadId = GetCurrentThreadId();
    if (self->FirstestProcess()) {
        SetEvent(self->m_runningEvent);
        self->Running();
        self->LastestProcess();
        InterlockedExchange(&self->m_running, 0);
    } else {
        InterlockedExchange(&self->m_running, 0);
        SetEvent(self->m_runningEvent);
    }
    // The last touch of the object: the owner may destroy it from here on.
    SetEvent(self->m_exitEvent);
    return 0;
}

void CSimpleThread::Close()
{
    if (m_running != 0) {
        SetKillEvent();
        WaitForSingleObject(m_exitEvent, INFINITE);
    }
    JoinThread();
}

void CSimpleThread::JoinThread()
{
    if (m_thread == nullptr) return;
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
    m_threadId = 0;
}

void CSimpleThread::WaitRunning()
{
    WaitForSingleObject(m_runningEvent, INFINITE);
}

int CSimpleThread::GetRunning() const
{
    return m_running;
}

int CSimpleThread::WaitSingleEvent(const HANDLE* handles, int count, DWORD milliseconds)
{
    if (count < 0 || count > MAXIMUM_WAIT_OBJECTS - 2 || (count > 0 && handles == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        m_lastWaitResult = WAIT_FAILED;
        m_lastWaitIndex = 0;
        return 0;
    }
    const DWORD messageSlot = static_cast<DWORD>(count) + 1;
    for (;;) {
        // Filled on every round: a handler run below may wait here itself.
        m_waitHandles[0] = m_killEvent;
        for (int i = 0; i < count; ++i) m_waitHandles[i + 1] = handles[i];
        m_waitHandles[messageSlot] = m_messageEvent;

        const DWORD result = WaitForMultipleObjects(messageSlot + 1, m_waitHandles, FALSE, milliseconds);
        m_lastWaitResult = result;
        if (result == WAIT_OBJECT_0 + messageSlot) {
            DoEventMessage();
            continue;
        }
        if (result < WAIT_OBJECT_0 + messageSlot) {
            m_lastWaitIndex = static_cast<int>(result - WAIT_OBJECT_0);
            return m_lastWaitIndex;
        }
        if (result == WAIT_TIMEOUT) return -1;
        // An abandoned mutex is owned by this thread now, as if signalled.
        if (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + messageSlot) {
            m_lastWaitIndex = static_cast<int>(result - WAIT_ABANDONED_0);
            return m_lastWaitIndex;
        }
        // The wait itself failed (a handle closed under it): nothing can be
        // waited for any more, so end the body as a stop request would,
        // rather than spin.
        m_lastWaitIndex = 0;
        return 0;
    }
}

void CSimpleThread::PostEventMessage(UINT message, UINT_PTR wParam, UINT_PTR lParam)
{
    {
        CAhLock lock(m_queueLock);
        if (m_freeList.empty())
            m_freeList.emplace_front(message, wParam, lParam);
        else
            m_freeList.front() = _tagEMSG(message, wParam, lParam);
        m_queue.splice(m_queue.end(), m_freeList, m_freeList.begin());
    }
    SetMessageEvent();
}

UINT CSimpleThread::SendEventMessage(UINT message, UINT_PTR wParam, UINT_PTR lParam)
{
    _tagEMSG msg(message, wParam, lParam);
    return OnEventMessage(&msg);
}

int CSimpleThread::GetEventMessage(_tagEMSG* msg)
{
    CAhLock lock(m_queueLock);
    if (m_queue.empty()) return 0;
    *msg = m_queue.front();
    m_freeList.splice(m_freeList.end(), m_queue, m_queue.begin());
    return 1;
}

void CSimpleThread::RemoveQueuedMessages(UINT message, UINT_PTR wParam)
{
    CAhLock lock(m_queueLock);
    for (auto it = m_queue.begin(); it != m_queue.end();) {
        auto next = std::next(it);
        if (it->message == message && it->wParam == wParam)
            m_freeList.splice(m_freeList.end(), m_queue, it);
        it = next;
    }
}

void CSimpleThread::DoEventMessage()
{
    // Cleared before the queue is read: a post from here on sets the message
    // event again, and one from before is taken below.
    InterlockedExchange(&m_signalPending, 0);
    if (CheckKillEvent()) return;
    while (GetEventMessage(&m_currentMessage)) {
        OnEventMessage(&m_currentMessage);
        if (CheckKillEvent()) return;
    }
}

UINT CSimpleThread::OnEventMessage(_tagEMSG* msg)
{
    if (msg->message == EMSG_TIMER) OnThreadTimer(static_cast<UINT>(msg->wParam), msg->lParam);
    return 0;
}

void CSimpleThread::OnThreadTimer(UINT, UINT_PTR)
{
}

int CSimpleThread::CheckKillEvent()
{
    return WaitForSingleObject(m_killEvent, 0) == WAIT_OBJECT_0 ? 1 : 0;
}

void CSimpleThread::SetKillEvent()
{
    SetEvent(m_killEvent);
}

void CSimpleThread::SetMessageEvent()
{
    // The event is set already when no worker began taking messages since
    // it was last set: a burst of posts costs one system call, not one each.
    if (InterlockedExchange(&m_signalPending, 1) == 0) SetEvent(m_messageEvent);
}

bool CSimpleThread::FirstestProcess()
{
    return true;
}

void CSimpleThread::LastestProcess()
{
}
