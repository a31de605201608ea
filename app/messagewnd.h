// The invisible window the hook library reports mouse events to. It drops
// reports while the engine is busy and exact repeats, and queues the rest
// for the worker.
#pragma once

#include "app/hookevent.h"
#include "framework/window.h"

#include <atomic>

// Where accepted events go: the main frame's queue.
class HookEventSink {
public:
    virtual void enqueueHookEvent(const HookMouseEvent& event) = 0;

protected:
    ~HookEventSink() = default;
};

class CMessageWnd : public CWnd {
public:
    bool Create();
    // `engineReady` is the application's flag: while it is 0 reports are dropped.
    void setOwner(HookEventSink* owner, const std::atomic<int>* engineReady);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnCopyData(const COPYDATASTRUCT* data);

    HookEventSink* m_owner = nullptr;
    const std::atomic<int>* m_engineReady = nullptr;
    HookMouseEvent m_lastEvent = {};
};
