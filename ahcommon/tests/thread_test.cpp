#include "ahcommon/critsect.h"
#include "ahcommon/simplethread.h"
#include "ahcommon/socketthread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "alloccount.h"
#include "testwait.h"

namespace {

const UINT kBlockUntilStop = 0x8101;
const UINT kAnswer = 0x8102;

// A worker that records what happens to it. Its body waits with
// WaitSingleEvent on the configured handles until a stop is requested; with
// `m_go` set it first waits for that event and then records a single round.
class Worker : public CSimpleThread {
public:
    struct Delivery {
        _tagEMSG msg;
        DWORD thread;
        double at;
    };
    struct Result {
        int value;
        int delivered;
        double at;
    };

    ~Worker() override { Close(); }

    void RequestStop() { SetKillEvent(); }
    int TakeQueued(_tagEMSG* msg) { return GetEventMessage(msg); }
    int Delivered() const { return m_deliveredCount.load(); }
    int Results() const { return m_resultCount.load(); }

    bool m_refuse = false;
    HANDLE m_go = nullptr;
    const HANDLE* m_handles = nullptr;
    int m_count = 0;
    DWORD m_timeout = INFINITE;

    std::atomic<int> m_firstest{0}, m_running{0}, m_lastest{0};
    std::atomic<bool> m_blocked{false};
    DWORD m_workerThread = 0;
    Delivery m_deliveries[4096];
    Result m_results[64];
    UINT m_timerId = 0;
    UINT_PTR m_timerParam = 0;
    DWORD m_timerThread = 0;

protected:
    bool FirstestProcess() override
    {
        ++m_firstest;
        m_workerThread = GetCurrentThreadId();
        return !m_refuse;
    }
    void Running() override
    {
        ++m_running;
        if (m_go != nullptr) {
            WaitForSingleObject(m_go, INFINITE);
            Record(WaitSingleEvent(m_handles, m_count, m_timeout));
            while (WaitSingleEvent(nullptr, 0, INFINITE) != 0) {
            }
            return;
        }
        for (;;) {
            const int result = WaitSingleEvent(m_handles, m_count, m_timeout);
            Record(result);
            if (result == 0) return;
        }
    }
    void LastestProcess() override { ++m_lastest; }
    UINT OnEventMessage(_tagEMSG* msg) override
    {
        const int n = m_deliveredCount.load();
        if (n < 4096) {
            m_deliveries[n] = {*msg, GetCurrentThreadId(), NowMs()};
            m_deliveredCount.store(n + 1);
        }
        if (msg->message == kBlockUntilStop) {
            m_blocked = true;
            WaitUntil([this] { return CheckKillEvent() != 0; });
        }
        if (msg->message == kAnswer) return 42;
        return CSimpleThread::OnEventMessage(msg);
    }
    void OnThreadTimer(UINT id, UINT_PTR param) override
    {
        m_timerId = id;
        m_timerParam = param;
        m_timerThread = GetCurrentThreadId();
    }

private:
    void Record(int value)
    {
        const int n = m_resultCount.load();
        if (n < 64) {
            m_results[n] = {value, m_deliveredCount.load(), NowMs()};
            m_resultCount.store(n + 1);
        }
    }

    std::atomic<int> m_deliveredCount{0};
    std::atomic<int> m_resultCount{0};
};

class Event {
public:
    explicit Event(BOOL manualReset = TRUE) : m_handle(CreateEventA(nullptr, manualReset, FALSE, nullptr)) {}
    ~Event() { CloseHandle(m_handle); }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

class Socket : public CSocketThread {
};

TEST(ThreadObject, EachClassNamesItself)
{
    Worker worker;
    Socket socket;
    EXPECT_STREQ(CThreadObject::classCThreadObject.m_className, "CThreadObject");
    EXPECT_STREQ(worker.GetRuntimeThread()->m_className, "CSimpleThread");
    EXPECT_EQ(worker.GetRuntimeThread(), &CSimpleThread::classCSimpleThread);
    EXPECT_STREQ(socket.GetRuntimeThread()->m_className, "CSocketThread");
    EXPECT_EQ(socket.GetRuntimeThread(), &CSocketThread::classCSocketThread);
}

// Subclasses built against an older copy of the headers rely on the order of
// the virtual table. A pointer to a virtual member holds its table offset + 1.
class SlotProbe : public CSocketThread {
public:
    template <typename Member>
    static std::size_t Slot(Member member)
    {
        std::size_t word;
        static_assert(sizeof(Member) >= sizeof word, "pointer to member");
        std::memcpy(&word, &member, sizeof word);
        return (word - 1) / sizeof(void*);
    }
    static void Check()
    {
        // Slots 1 and 2 are the two destructor entries of this ABI.
        EXPECT_EQ(Slot(&SlotProbe::GetRuntimeThread), 0u);
        EXPECT_EQ(Slot(&SlotProbe::OnEventMessage), 3u);
        EXPECT_EQ(Slot(&SlotProbe::GetEventMessage), 4u);
        EXPECT_EQ(Slot(&SlotProbe::CheckKillEvent), 5u);
        EXPECT_EQ(Slot(&SlotProbe::SetKillEvent), 6u);
        EXPECT_EQ(Slot(&SlotProbe::SetMessageEvent), 7u);
        EXPECT_EQ(Slot(&SlotProbe::OnThreadTimer), 8u);
        EXPECT_EQ(Slot(&SlotProbe::FirstestProcess), 9u);
        EXPECT_EQ(Slot(&SlotProbe::Running), 10u);
        EXPECT_EQ(Slot(&SlotProbe::LastestProcess), 11u);
        EXPECT_EQ(Slot(&SlotProbe::Receive), 12u);
        EXPECT_EQ(Slot(&SlotProbe::Send), 13u);
        EXPECT_EQ(Slot(&SlotProbe::Accept), 14u);
        EXPECT_EQ(Slot(&SlotProbe::ReceiveFromHelper), 15u);
        EXPECT_EQ(Slot(&SlotProbe::SendToHelper), 16u);
        EXPECT_EQ(Slot(&SlotProbe::OnSend), 17u);
        EXPECT_EQ(Slot(&SlotProbe::OnConnect), 18u);
        EXPECT_EQ(Slot(&SlotProbe::OnClose), 19u);
        EXPECT_EQ(Slot(&SlotProbe::OnAccept), 20u);
        EXPECT_EQ(Slot(&SlotProbe::OnReceive), 21u);
        EXPECT_EQ(Slot(&SlotProbe::ConnectHelper), 22u);
    }
};

TEST(ThreadObject, VirtualFunctionsKeepTheirSlots)
{
    SlotProbe::Check();
}

TEST(SimpleThread, OpensOnceAndOpensAgainAfterClose)
{
    Worker worker;
    ASSERT_EQ(worker.Open(), 1);
    worker.WaitRunning();
    EXPECT_EQ(worker.GetRunning(), 1);
    EXPECT_EQ(worker.Open(), 0);
    worker.Close();
    EXPECT_EQ(worker.GetRunning(), 0);
    worker.Close();  // not running: returns at once

    ASSERT_EQ(worker.Open(), 1);
    worker.WaitRunning();
    EXPECT_EQ(worker.GetRunning(), 1);
    worker.Close();
    EXPECT_EQ(worker.m_firstest, 2);
    EXPECT_EQ(worker.m_running, 2);
    EXPECT_EQ(worker.m_lastest, 2);
}

TEST(SimpleThread, RefusedStartRunsNeitherBodyNorLastestProcess)
{
    Worker worker;
    worker.m_refuse = true;
    ASSERT_EQ(worker.Open(), 1);
    worker.WaitRunning();
    EXPECT_EQ(worker.GetRunning(), 0);
    worker.Close();
    EXPECT_EQ(worker.m_firstest, 1);
    EXPECT_EQ(worker.m_running, 0);
    EXPECT_EQ(worker.m_lastest, 0);

    worker.m_refuse = false;
    ASSERT_EQ(worker.Open(), 1);
    worker.WaitRunning();
    EXPECT_EQ(worker.GetRunning(), 1);
}

// The library links its own C++ runtime, so its allocations are counted
// through its import table (see alloccount.h), together with this program's.
TEST(SimpleThread, DeliversPostsInOrderAndReusesTheirRecords)
{
    ASSERT_GT(alloccount::Hook(GetModuleHandleA("AhCommon.dll")), 0);
    alloccount::Hook(GetModuleHandleA(nullptr));

    // Parameters wider than 32 bits: a message can carry a pointer.
    const UINT_PTR wide = sizeof(UINT_PTR) > 4 ? static_cast<UINT_PTR>(0x123456789A00ull) : 0x9A000000u;
    Worker worker;
    const long start = alloccount::Count();
    for (int i = 0; i < 1000; ++i) worker.PostEventMessage(0x8001, i, wide + i);
    // The counter sees the library: the first records are allocated.
    EXPECT_GE(alloccount::Count() - start, 1000);
    ASSERT_EQ(worker.Open(), 1);
    ASSERT_TRUE(WaitUntil([&] { return worker.Delivered() == 1000; }));
    EXPECT_EQ(worker.Results(), 0);  // all delivered inside the first wait
    for (int i = 0; i < 1000; ++i) {
        const Worker::Delivery& d = worker.m_deliveries[i];
        ASSERT_EQ(d.msg.message, 0x8001u);
        ASSERT_EQ(d.msg.wParam, static_cast<UINT_PTR>(i));
        ASSERT_EQ(d.msg.lParam, wide + i);
        ASSERT_EQ(d.thread, worker.m_workerThread);
    }

    const long before = alloccount::Count();
    for (int i = 0; i < 1000; ++i) worker.PostEventMessage(0x8001, i, 0);
    const bool delivered = WaitUntil([&] { return worker.Delivered() == 2000; });
    const long allocations = alloccount::Count() - before;
    ASSERT_TRUE(delivered);
    EXPECT_EQ(allocations, 0) << alloccount::LastCallerModule();
}

// Posts one more message at the worst moment for a lost wake-up: when the
// worker has just found its queue empty and is about to wait again.
class LatePoster : public CSimpleThread {
public:
    ~LatePoster() override { Close(); }
    int Delivered() const { return m_delivered.load(); }
    std::atomic<bool> m_postWhenEmpty{false};

protected:
    void Running() override
    {
        while (WaitSingleEvent(nullptr, 0, INFINITE) != 0) {
        }
    }
    int GetEventMessage(_tagEMSG* msg) override
    {
        const int taken = CSimpleThread::GetEventMessage(msg);
        if (taken == 0 && m_postWhenEmpty.exchange(false)) PostEventMessage(0x8002, 0, 0);
        return taken;
    }
    UINT OnEventMessage(_tagEMSG*) override
    {
        ++m_delivered;
        return 0;
    }

private:
    std::atomic<int> m_delivered{0};
};

TEST(SimpleThread, APostAsTheWorkerFindsItsQueueEmptyStillWakesIt)
{
    LatePoster worker;
    ASSERT_EQ(worker.Open(), 1);
    for (int round = 1; round <= 3; ++round) {
        worker.m_postWhenEmpty = true;
        worker.PostEventMessage(0x8001, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return worker.Delivered() == 2 * round; }))
            << "round " << round << ": " << worker.Delivered() << " of " << 2 * round << " delivered";
    }
}

TEST(SimpleThread, StopLeavesQueuedMessagesQueued)
{
    Worker worker;
    ASSERT_EQ(worker.Open(), 1);
    worker.WaitRunning();
    worker.PostEventMessage(kBlockUntilStop, 0, 0);
    for (int i = 1; i <= 4; ++i) worker.PostEventMessage(0x8001, i, 0);
    ASSERT_TRUE(WaitUntil([&] { return worker.m_blocked.load(); }));
    worker.Close();

    EXPECT_EQ(worker.Delivered(), 1);
    _tagEMSG msg;
    for (int i = 1; i <= 4; ++i) {
        ASSERT_EQ(worker.TakeQueued(&msg), 1);
        EXPECT_EQ(msg.wParam, static_cast<UINT_PTR>(i));
    }
    EXPECT_EQ(worker.TakeQueued(&msg), 0);
}

TEST(SimpleThread, WaitSingleEventReportsTheFirstSignalledSlot)
{
    const struct {
        bool stop, first, second;
        int result;
        int deliveredBefore;
    } cases[] = {
        {true, true, true, 0, 0},     // a stop wins over everything
        {false, true, true, 1, 0},    // the caller's handles in their order
        {false, false, true, 2, 0},   // ... and before queued messages
        {false, false, false, -1, 1}, // messages are delivered, then the time-out
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        Event go(FALSE), first, second;
        const HANDLE handles[] = {first.get(), second.get()};
        Worker worker;
        worker.m_go = go.get();
        worker.m_handles = handles;
        worker.m_count = 2;
        worker.m_timeout = 0;
        ASSERT_EQ(worker.Open(), 1);
        worker.WaitRunning();
        if (c.first) SetEvent(first.get());
        if (c.second) SetEvent(second.get());
        if (c.stop) worker.RequestStop();
        worker.PostEventMessage(0x8001, 0, 0);
        SetEvent(go.get());
        ASSERT_TRUE(WaitUntil([&] { return worker.Results() == 1; }));
        EXPECT_EQ(worker.m_results[0].value, c.result);
        EXPECT_EQ(worker.m_results[0].delivered, c.deliveredBefore);
    }
}

TEST(SimpleThread, EachDeliveryRestartsTheFullTimeOut)
{
    // Messages keep coming for longer than the time-out, each well within it.
    const DWORD timeout = 500;
    const int posts = 16;
    Worker worker;
    worker.m_timeout = timeout;
    ASSERT_EQ(worker.Open(), 1);
    worker.WaitRunning();
    for (int i = 0; i < posts; ++i) {
        worker.PostEventMessage(0x8001, i, 0);
        Sleep(50);
    }
    ASSERT_TRUE(WaitUntil([&] { return worker.Results() >= 1; }));
    const Worker::Result& first = worker.m_results[0];
    EXPECT_EQ(first.value, -1);
    ASSERT_EQ(first.delivered, posts);
    const double quiet = first.at - worker.m_deliveries[posts - 1].at;
    EXPECT_GE(quiet, timeout - 15.0);
    EXPECT_GT(first.at - worker.m_deliveries[0].at, 2.0 * timeout);
}

TEST(SimpleThread, SendEventMessageRunsTheHandlerOnTheCallersThread)
{
    Worker worker;
    ASSERT_EQ(worker.Open(), 1);
    worker.WaitRunning();
    EXPECT_EQ(worker.SendEventMessage(EMSG_TIMER, 7, 9), 0u);
    EXPECT_EQ(worker.m_timerId, 7u);
    EXPECT_EQ(worker.m_timerParam, 9u);
    EXPECT_EQ(worker.m_timerThread, GetCurrentThreadId());
    EXPECT_EQ(worker.SendEventMessage(kAnswer, 0, 0), 42u);
    EXPECT_EQ(worker.m_deliveries[1].thread, GetCurrentThreadId());
}

TEST(AhCriticalSection, LockWithTimeOutWaitsForTheOwner)
{
    CAhCriticalSection section;
    EXPECT_EQ(section.Lock(), 1);
    EXPECT_EQ(section.Lock(), 1);  // the owner may enter again
    Event acquired;
    std::thread other([&] {
        section.Lock(0);
        SetEvent(acquired.get());
        section.Unlock();
    });
    EXPECT_EQ(WaitForSingleObject(acquired.get(), 200), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(section.Unlock(), 1);
    EXPECT_EQ(WaitForSingleObject(acquired.get(), 100), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(section.Unlock(), 1);
    EXPECT_EQ(WaitForSingleObject(acquired.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    other.join();
}

}  // namespace
