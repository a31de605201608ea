// The worker thread of the run-time engine. It runs a Win32 message loop
// (its menu windows will need one), takes the hook events that the frame
// queues for it, and closes its menus when the frame asks before the tray
// menu opens.
#pragma once

#include "app/hookevent.h"
#include "ahcommon/simplethread.h"

#include <atomic>

// What the worker needs of its owner, the main frame.
class ProcessThreadOwner {
public:
    // On the worker as it starts: point the hook library's reports at the
    // message window (and pause them when the user turned the menus off).
    virtual void startHookReports() = 0;
    // Takes the oldest queued hook event; false when none waits.
    virtual bool dequeueHookEvent(HookMouseEvent& event) = 0;

protected:
    ~ProcessThreadOwner() = default;
};

class CProcessThread : public CSimpleThread {
public:
    static const CRuntimeThread classCProcessThread;

    CProcessThread();
    ~CProcessThread() override;
    const CRuntimeThread* GetRuntimeThread() const override;

    // Set before Open.
    void setOwner(ProcessThreadOwner* owner) { m_owner = owner; }
    // From the owner's thread: asks the worker to close its menus and waits
    // until it has, handling meanwhile what the worker sends to the owner's
    // windows so that the two threads cannot wait for each other.
    void closeMenusAndWait();
    // Auto-reset; signalled after every EV_CLOSE_MENUS.
    HANDLE menusClosedEvent() const { return m_menusClosedEvent; }
    DWORD threadId() const { return m_threadId; }
    // Hook events taken from the queue so far.
    unsigned eventsTaken() const { return m_eventsTaken.load(); }

protected:
    UINT OnEventMessage(_tagEMSG* msg) override;
    int CheckKillEvent() override;
    void SetKillEvent() override;
    void SetMessageEvent() override;
    bool FirstestProcess() override;
    void Running() override;
    void LastestProcess() override;

private:
    void TakeHookEvents();
    UINT CloseMenus();

    HANDLE m_menusClosedEvent;
    ProcessThreadOwner* m_owner = nullptr;
    HookMouseEvent m_currentEvent = {};
    std::atomic<unsigned> m_eventsTaken{0};
};
