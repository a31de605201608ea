// Worker threads with a queue of event messages. A subclass supplies the
// body (Running) and the handler (OnEventMessage); the base class starts,
// signals and joins the thread and delivers the messages on it.
#pragma once

#include <list>

#include "ahexport.h"
#include "critsect.h"

// Event message number reserved for thread timers (the value of WM_TIMER):
// wParam is the timer id, lParam the value given to SetThreadTimer.
const UINT EMSG_TIMER = 0x113;

// Names a thread class; each class has one constant record.
struct CRuntimeThread {
    const char* m_className;
};

// One event message. The parameters are pointer-sized so that a message can
// carry a pointer on 64-bit Windows.
struct AHCOMMON_API _tagEMSG {
    _tagEMSG();
    _tagEMSG(UINT message, UINT_PTR wParam, UINT_PTR lParam);

    UINT message;
    UINT_PTR wParam;
    UINT_PTR lParam;
};

class AHCOMMON_API CThreadObject {
public:
    static const CRuntimeThread classCThreadObject;

    virtual const CRuntimeThread* GetRuntimeThread() const;
    virtual ~CThreadObject();

    CThreadObject(const CThreadObject& other);
    CThreadObject& operator=(const CThreadObject& other);

protected:
    CThreadObject();
};

// Calling order for an owner: construct, Open, WaitRunning, GetRunning (0 when
// FirstestProcess refused), PostEventMessage as needed, Close, destroy.
// The virtual functions are declared in their table order, which subclasses
// built elsewhere rely on.
class AHCOMMON_API CSimpleThread : public CThreadObject {
public:
    static const CRuntimeThread classCSimpleThread;

    const CRuntimeThread* GetRuntimeThread() const override;

    // A copy is a new stopped worker with its own events and an empty queue:
    // events, queued messages and timers belong to one thread only.
    CSimpleThread(const CSimpleThread& other);
    CSimpleThread& operator=(const CSimpleThread& other);

    // Starts the worker; 0 when it is already running or cannot be started.
    int Open();
    // Asks the worker to stop and joins it. Never call it from the worker.
    void Close();
    // Returns once the worker has accepted or refused to start.
    void WaitRunning();
    int GetRunning() const;

    // On the worker: waits for a stop request, one of the caller's handles
    // (at most 62) or the time-out, delivering event messages meanwhile; each
    // delivery restarts the full time-out. 0 = stop requested, i+1 =
    // handles[i], -1 = time-out.
    int WaitSingleEvent(const HANDLE* handles, int count, DWORD milliseconds);

    // From any thread: queues a message for the worker.
    void PostEventMessage(UINT message, UINT_PTR wParam, UINT_PTR lParam);
    // Runs the handler at once on the calling thread, without the queue.
    UINT SendEventMessage(UINT message, UINT_PTR wParam, UINT_PTR lParam);

    // Starts (or restarts) this thread's periodic timer `id`; its messages
    // arrive as OnThreadTimer(id, param). Returns `id`, or 0 when the timer
    // service is not running. A timer with id 0 never fires.
    UINT SetThreadTimer(UINT id, UINT elapse, UINT_PTR param);
    // Stops timer `id`; with `removePending` also drops its queued messages.
    // 0 when there was no such timer.
    int KillThreadTimer(UINT id, int removePending);

protected:
    CSimpleThread();
    // Removes the thread's timers and frees its messages; the owner must
    // have stopped the worker (Close) before.
    ~CSimpleThread() override;

    // Base: a timer message calls OnThreadTimer; the result is 0. Overrides
    // pass messages they do not handle on to this version.
    virtual UINT OnEventMessage(_tagEMSG* msg);
    // Moves the oldest queued message to `*msg`; 0 when the queue is empty.
    virtual int GetEventMessage(_tagEMSG* msg);
    // The three signalling hooks, overridden together by a body that waits
    // on something other than this class's events.
    virtual int CheckKillEvent();
    virtual void SetKillEvent();
    virtual void SetMessageEvent();
    virtual void OnThreadTimer(UINT id, UINT_PTR param);
    // On the new thread before anyone is told it runs; false aborts the start.
    virtual bool FirstestProcess();
    // The thread body; returns when a stop is requested.
    virtual void Running() = 0;
    // After Running, on the same thread; only after FirstestProcess accepted.
    virtual void LastestProcess();

    // On the worker: delivers queued messages in order until the queue is
    // empty or a stop is requested.
    void DoEventMessage();

    HANDLE m_thread;
    // The worker's id, for subclasses that post Win32 thread messages to it.
    DWORD m_threadId;
    _tagEMSG m_currentMessage;
    // Raw result and slot of WaitSingleEvent's last wait.
    DWORD m_lastWaitResult;
    int m_lastWaitIndex;

private:
    static unsigned __stdcall workerProc(void* param);
    void Construct();
    void JoinThread();
    // Drops every queued message with this number and first parameter.
    void RemoveQueuedMessages(UINT message, UINT_PTR wParam);

    volatile LONG m_running;
    // 1 from setting the message event until the worker next starts taking
    // messages, while setting it again would change nothing.
    volatile LONG m_signalPending;
    HANDLE m_exitEvent;
    HANDLE m_killEvent;
    HANDLE m_runningEvent;
    HANDLE m_messageEvent;
    HANDLE m_waitHandles[MAXIMUM_WAIT_OBJECTS];
    // Delivered records wait on m_freeList for reuse and move between the two
    // lists by splicing, so steady traffic allocates nothing.
    std::list<_tagEMSG> m_queue;
    std::list<_tagEMSG> m_freeList;
    CAhCriticalSection m_queueLock;
};
