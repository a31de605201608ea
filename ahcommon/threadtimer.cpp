#include "threadtimer.h"

#include <climits>
#include <list>

#include "simplethread.h"

void RemoveThreadTimers(CSimpleThread* owner);

namespace {

struct TimerEntry {
    CSimpleThread* owner;
    UINT id;
    UINT period;
    UINT_PTR param;
    // Milliseconds until due; negative when overdue.
    LONG remaining;
    // Set when added: the time elapsed before the entry existed is not its.
    bool isNew;
};

typedef std::list<TimerEntry> TimerList;

// The timer thread: sleeps until the earliest timer is due or the list
// changes, fires one due timer per pass.
class CThreadTimer : public CSimpleThread {
public:
    static const CRuntimeThread classCThreadTimer;

    CThreadTimer();
    ~CThreadTimer() override;
    const CRuntimeThread* GetRuntimeThread() const override;

    HANDLE m_changeEvent;

protected:
    void Running() override;
    void LastestProcess() override;
};

const CRuntimeThread CThreadTimer::classCThreadTimer = {"_CThreadTimer"};

// Lock order: g_postLock, then g_listLock, then g_dueLock; an owner's queue
// lock is taken only with g_postLock alone held. g_serviceLock guards only
// the start and stop of the service.
CAhCriticalSection g_serviceLock;
CAhCriticalSection g_postLock;
CAhCriticalSection g_listLock;
CAhCriticalSection g_dueLock;

int g_useCount = 0;
// Guarded by g_listLock (written also under g_serviceLock).
CThreadTimer* g_timerThread = nullptr;
// Under g_listLock. Entries move between the lists by splicing, so restarting
// a timer allocates nothing once the free list holds an entry.
TimerList g_active;
TimerList g_free;
int g_timerCount = 0;
// Under g_dueLock: the entry that fires when the current wait times out,
// and the entry that fired last, from which timers due together take turns.
bool g_hasDue = false;
TimerList::iterator g_due;
bool g_hasLastFired = false;
TimerList::iterator g_lastFired;

// With g_listLock held. Returns 1 when the owner's timer `id` was removed.
int RemoveTimerLocked(CSimpleThread* owner, UINT id)
{
    for (auto it = g_active.begin(); it != g_active.end(); ++it) {
        if (it->owner != owner || it->id != id) continue;
        {
            CAhLock due(g_dueLock);
            if (g_hasDue && g_due == it) g_hasDue = false;
            if (g_hasLastFired && g_lastFired == it) g_hasLastFired = false;
        }
        g_free.splice(g_free.end(), g_active, it);
        --g_timerCount;
        return 1;
    }
    return 0;
}

// With g_listLock held. The service pointer is cleared while the timer
// thread stops, but the lists stay in use until it has ended.
void SignalChange()
{
    if (g_timerThread != nullptr) SetEvent(g_timerThread->m_changeEvent);
}

LONG SubtractClamped(LONG value, DWORD amount)
{
    const long long result = static_cast<long long>(value) - static_cast<long long>(amount);
    return result < LONG_MIN ? LONG_MIN : static_cast<LONG>(result);
}

// Counts `elapsed` against every timer that was not added since the last pass.
void Subtract(DWORD elapsed)
{
    if (elapsed == 0) return;
    CAhLock list(g_listLock);
    for (TimerEntry& entry : g_active) {
        if (!entry.isNew) entry.remaining = SubtractClamped(entry.remaining, elapsed);
    }
}

// Chooses the next due entry and returns the wait until it (INFINITE when
// there is no timer). Timers due together fire one per pass, in turn from
// the one after the entry that fired last; a change of the list alone does
// not move the turn on.
DWORD Recompute()
{
    CAhLock list(g_listLock);
    TimerList::iterator candidate = g_active.end();
    for (auto it = g_active.begin(); it != g_active.end(); ++it) {
        it->isNew = false;
        if (candidate == g_active.end() || it->remaining < candidate->remaining) candidate = it;
    }
    CAhLock due(g_dueLock);
    if (candidate == g_active.end()) {
        g_hasDue = false;
        return INFINITE;
    }
    const LONG least = candidate->remaining;
    TimerList::iterator chosen = candidate;
    if (g_hasLastFired) {
        for (auto it = std::next(g_lastFired); it != g_active.end(); ++it) {
            if (it->remaining == least) {
                chosen = it;
                break;
            }
        }
    }
    g_due = chosen;
    g_hasDue = true;
    return least < 0 ? 0 : static_cast<DWORD>(least);
}

CThreadTimer::CThreadTimer()
{
    m_changeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

CThreadTimer::~CThreadTimer()
{
    if (m_changeEvent != nullptr) CloseHandle(m_changeEvent);
}

const CRuntimeThread* CThreadTimer::GetRuntimeThread() const
{
    return &classCThreadTimer;
}

void CThreadTimer::Running()
{
    DWORD nextWait = INFINITE;
    DWORD start = static_cast<DWORD>(-1);
    for (;;) {
        const int result = WaitSingleEvent(&m_changeEvent, 1, nextWait);
        if (result == 0) return;
        if (result == 1) {
            Subtract(LapseTick(start));
        } else {
            Subtract(nextWait);
            // Held until the message is posted, so that whoever removes a
            // timer can wait out a firing already on its way to the owner.
            CAhLock post(g_postLock);
            CSimpleThread* owner = nullptr;
            UINT id = 0;
            UINT_PTR param = 0;
            {
                CAhLock list(g_listLock);
                CAhLock due(g_dueLock);
                if (g_hasDue) {
                    g_lastFired = g_due;
                    g_hasLastFired = true;
                    g_due->remaining = static_cast<LONG>(g_due->period);
                    owner = g_due->owner;
                    id = g_due->id;
                    param = g_due->param;
                }
            }
            if (id != 0) {
                const DWORD tick = GetTickCount();
                owner->PostEventMessage(EMSG_TIMER, id, param);
                Subtract(LapseTick(tick));
            }
        }
        nextWait = Recompute();
        start = GetTickCount();
    }
}

void CThreadTimer::LastestProcess()
{
    CAhLock list(g_listLock);
    {
        CAhLock due(g_dueLock);
        g_hasDue = false;
        g_hasLastFired = false;
    }
    g_active.clear();
    g_free.clear();
    g_timerCount = 0;
}

}  // namespace

int InitializeTimer()
{
    CAhLock service(g_serviceLock);
    if (g_timerThread == nullptr) {
        CThreadTimer* thread = new CThreadTimer;
        if (thread->m_changeEvent == nullptr || !thread->Open()) {
            delete thread;
            return 0;
        }
        thread->WaitRunning();
        CAhLock list(g_listLock);
        g_timerThread = thread;
    }
    return ++g_useCount;
}

int UninitializeTimer()
{
    CAhLock service(g_serviceLock);
    if (g_useCount == 0 || g_timerThread == nullptr) return 0;
    if (--g_useCount == 0) {
        CThreadTimer* thread = g_timerThread;
        {
            CAhLock list(g_listLock);
            g_timerThread = nullptr;
        }
        thread->Close();
        delete thread;
    }
    return 1;
}

DWORD LapseTick(DWORD start)
{
    const DWORD lapse = GetTickCount() - start;
    return static_cast<LONG>(lapse) < 0 ? lapse - 1 : lapse;
}

void RemoveThreadTimers(CSimpleThread* owner)
{
    {
        CAhLock list(g_listLock);
        bool removed = false;
        for (auto it = g_active.begin(); it != g_active.end();) {
            auto next = std::next(it);
            if (it->owner == owner) removed |= RemoveTimerLocked(owner, it->id) != 0;
            it = next;
        }
        if (removed) SignalChange();
    }
    // Even with no timer left (all killed, or the service stopping), a
    // firing noted before is posted under this lock: the owner may be freed
    // only once it is through.
    CAhLock post(g_postLock);
}

UINT CSimpleThread::SetThreadTimer(UINT id, UINT elapse, UINT_PTR param)
{
    CAhLock list(g_listLock);
    if (g_timerThread == nullptr) return 0;
    RemoveTimerLocked(this, id);
    if (g_free.empty()) g_free.emplace_front();
    TimerEntry& entry = g_free.front();
    entry.owner = this;
    entry.id = id;
    entry.period = elapse;
    entry.param = param;
    entry.remaining = static_cast<LONG>(elapse);
    entry.isNew = true;
    g_active.splice(g_active.end(), g_free, g_free.begin());
    ++g_timerCount;
    SetEvent(g_timerThread->m_changeEvent);
    return id;
}

int CSimpleThread::KillThreadTimer(UINT id, int removePending)
{
    {
        CAhLock list(g_listLock);
        if (g_timerCount == 0 || !RemoveTimerLocked(this, id)) return 0;
        SignalChange();
    }
    if (removePending) {
        // Wait out a firing of this timer that is being posted right now.
        { CAhLock post(g_postLock); }
        RemoveQueuedMessages(EMSG_TIMER, id);
    }
    return 1;
}
