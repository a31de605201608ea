#include "app/hookqueue.h"

#include "app/appmessages.h"

void CHookEventQueue::setWakeThread(DWORD threadId)
{
    CAhLock lock(m_lock);
    m_wakeThread = threadId;
}

void CHookEventQueue::enqueue(const HookMouseEvent& event)
{
    CAhLock lock(m_lock);
    if (m_free.empty()) m_free.emplace_back();
    m_free.front() = event;
    m_pending.splice(m_pending.end(), m_free, m_free.begin());
    if (m_wakeThread != 0) PostThreadMessageA(m_wakeThread, TM_HOOK_EVENTS, 0, 0);
}

bool CHookEventQueue::dequeue(HookMouseEvent& event)
{
    CAhLock lock(m_lock);
    if (m_pending.empty()) return false;
    event = m_pending.front();
    m_free.splice(m_free.end(), m_pending, m_pending.begin());
    return true;
}

void CHookEventQueue::dropPending()
{
    CAhLock lock(m_lock);
    m_free.splice(m_free.end(), m_pending);
}

void CHookEventQueue::freeAll()
{
    CAhLock lock(m_lock);
    m_pending.clear();
    m_free.clear();
}

std::size_t CHookEventQueue::pendingCount()
{
    CAhLock lock(m_lock);
    return m_pending.size();
}

std::size_t CHookEventQueue::spareCount()
{
    CAhLock lock(m_lock);
    return m_free.size();
}
