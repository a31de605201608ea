// Hook events on their way from the user-interface thread to the worker.
#pragma once

#include "app/hookevent.h"
#include "ahcommon/critsect.h"

#include <cstddef>
#include <list>

class CHookEventQueue {
public:
    CHookEventQueue() = default;
    CHookEventQueue(const CHookEventQueue&) = delete;
    CHookEventQueue& operator=(const CHookEventQueue&) = delete;

    // The thread woken (thread message WM_NULL) for each queued event.
    void setWakeThread(DWORD threadId);
    // Queues a copy of the event and wakes the worker.
    void enqueue(const HookMouseEvent& event);
    // Takes the oldest event; false when none waits.
    bool dequeue(HookMouseEvent& event);
    // Drops every waiting event.
    void dropPending();
    // Frees every record, waiting or spare.
    void freeAll();

    std::size_t pendingCount();
    std::size_t spareCount();

private:
    // Records move between the two lists by splicing, so a steady stream of
    // events allocates nothing once warmed up.
    std::list<HookMouseEvent> m_pending;
    std::list<HookMouseEvent> m_free;
    CAhCriticalSection m_lock;
    DWORD m_wakeThread = 0;
};
