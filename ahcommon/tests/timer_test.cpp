#include "ahcommon/simplethread.h"
#include "ahcommon/threadtimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

#include "alloccount.h"
#include "heldpost.h"
#include "testwait.h"

namespace {

// Records its timer firings: the delivery on the worker and, separately,
// the moment the timer thread posted (the timer thread calls
// SetMessageEvent), which scheduling delays of the worker do not shift.
class TimerWorker : public CSimpleThread {
public:
    struct Firing {
        UINT id;
        UINT_PTR param;
    };
    static const int kMax = 256;

    TimerWorker() : m_gate(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_parked(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~TimerWorker() override
    {
        Close();
        CloseHandle(m_gate);
        CloseHandle(m_parked);
    }

    int Firings() const { return m_firingCount.load(); }
    int Posts() const { return m_postCount.load(); }
    int CountOf(UINT id) const
    {
        int n = 0;
        for (int i = 0; i < Firings(); ++i) n += m_firings[i].id == id ? 1 : 0;
        return n;
    }
    // The next post parks the posting thread until Release.
    void ParkNextPost() { m_parkNext = true; }
    bool WaitParked() { return WaitForSingleObject(m_parked, 10000) == WAIT_OBJECT_0; }
    void Release() { SetEvent(m_gate); }

    Firing m_firings[kMax];
    double m_postTimes[kMax];
    std::atomic<int> m_others{0};

protected:
    void Running() override
    {
        while (WaitSingleEvent(nullptr, 0, INFINITE) != 0) {
        }
    }
    UINT OnEventMessage(_tagEMSG* msg) override
    {
        if (msg->message != EMSG_TIMER) ++m_others;
        return CSimpleThread::OnEventMessage(msg);
    }
    void OnThreadTimer(UINT id, UINT_PTR param) override
    {
        const int n = m_firingCount.load();
        if (n < kMax) {
            m_firings[n] = {id, param};
            m_firingCount.store(n + 1);
        }
    }
    void SetMessageEvent() override
    {
        const int n = m_postCount.load();
        if (n < kMax) m_postTimes[n] = NowMs();
        m_postCount.store(n + 1);
        if (m_parkNext.exchange(false)) {
            SetEvent(m_parked);
            WaitForSingleObject(m_gate, 10000);
        }
        CSimpleThread::SetMessageEvent();
    }

private:
    HANDLE m_gate;
    HANDLE m_parked;
    std::atomic<bool> m_parkNext{false};
    std::atomic<int> m_firingCount{0};
    std::atomic<int> m_postCount{0};
};

class ThreadTimer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(InitializeTimer(), 1); }
    void TearDown() override { EXPECT_EQ(UninitializeTimer(), 1); }

    // Runs `setTimers` while the timer thread is held inside a post, so that
    // the timers it sets start at the same moment.
    template <typename F>
    void SetTogether(F setTimers)
    {
        TimerWorker parker;
        parker.ParkNextPost();
        ASSERT_EQ(parker.SetThreadTimer(99, 1, 0), 99u);
        ASSERT_TRUE(parker.WaitParked());
        EXPECT_EQ(parker.KillThreadTimer(99, 0), 1);
        setTimers();
        parker.Release();
        // The parker outlives the post: its destructor waits for it.
    }
};

TEST_F(ThreadTimer, TimersOfOnePeriodFireAlternately)
{
    TimerWorker worker;
    ASSERT_EQ(worker.Open(), 1);
    SetTogether([&] {
        worker.SetThreadTimer(1, 200, 10);
        worker.SetThreadTimer(2, 200, 20);
    });
    ASSERT_TRUE(WaitUntil([&] { return worker.Firings() >= 6; }));
    worker.KillThreadTimer(1, 0);
    worker.KillThreadTimer(2, 0);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(worker.m_firings[i].id, i % 2 == 0 ? 1u : 2u) << i;
        EXPECT_EQ(worker.m_firings[i].param, i % 2 == 0 ? 10u : 20u) << i;
    }
    // A post that is held up shortens the gap after it (the time it took
    // counts against the next wait), hence the slack below the period.
    for (int i = 2; i < 6; i += 2) {
        EXPECT_GE(worker.m_postTimes[i] - worker.m_postTimes[i - 2], 150.0) << i;
        EXPECT_LT(worker.m_postTimes[i + 1] - worker.m_postTimes[i], 100.0) << i;
    }
}

TEST_F(ThreadTimer, TimersDueTogetherFireInTurn)
{
    // A every 150 ms, B every 300 ms: when both are due B goes first, as the
    // one after A which fired last, and A follows at once.
    TimerWorker worker;
    ASSERT_EQ(worker.Open(), 1);
    SetTogether([&] {
        worker.SetThreadTimer(1, 150, 0);
        worker.SetThreadTimer(2, 300, 0);
    });
    ASSERT_TRUE(WaitUntil([&] { return worker.Firings() >= 7; }));
    worker.KillThreadTimer(1, 0);
    worker.KillThreadTimer(2, 0);
    const UINT expected[] = {1, 2, 1, 1, 2, 1, 1};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(worker.m_firings[i].id, expected[i]) << i;
    const double* at = worker.m_postTimes;
    EXPECT_GE(at[1] - at[0], 100.0);
    EXPECT_LT(at[2] - at[1], 100.0);
    EXPECT_GE(at[3] - at[2], 100.0);
    EXPECT_GE(at[4] - at[3], 100.0);
}

TEST_F(ThreadTimer, SettingARunningTimerRestartsIt)
{
    TimerWorker worker;
    ASSERT_EQ(worker.Open(), 1);
    ASSERT_EQ(worker.SetThreadTimer(1, 300, 10), 1u);
    Sleep(150);
    const double restarted = NowMs();
    const int postsBefore = worker.Posts();
    ASSERT_EQ(worker.SetThreadTimer(1, 200, 20), 1u);
    ASSERT_TRUE(WaitUntil([&] { return worker.CountOf(1) >= postsBefore + 2; }));
    worker.KillThreadTimer(1, 0);
    // A firing from before the restart (only under heavy load) keeps the
    // old value; the first with the new one comes a whole new period later.
    int first = 0;
    while (first < worker.Firings() && worker.m_firings[first].param == 10u) ++first;
    ASSERT_LT(first + 1, worker.Firings());
    EXPECT_LE(first, postsBefore + 1);
    EXPECT_EQ(worker.m_firings[first].param, 20u);
    EXPECT_EQ(worker.m_firings[first + 1].param, 20u);
    EXPECT_GE(worker.m_postTimes[first] - restarted, 195.0);
    EXPECT_GE(worker.m_postTimes[first + 1] - worker.m_postTimes[first], 150.0);
}

TEST_F(ThreadTimer, KillingRemovesPendingMessagesOnlyWhenAsked)
{
    for (int removePending = 0; removePending <= 1; ++removePending) {
        SCOPED_TRACE(removePending);
        TimerWorker worker;  // not running: the firings stay queued
        worker.SetThreadTimer(5, 20, 0);
        worker.SetThreadTimer(6, 20, 0);
        ASSERT_TRUE(WaitUntil([&] { return worker.Posts() >= 6; }));
        EXPECT_EQ(worker.KillThreadTimer(5, removePending), 1);
        EXPECT_EQ(worker.KillThreadTimer(6, 0), 1);
        EXPECT_EQ(worker.KillThreadTimer(5, 1), 0);  // gone: the queue is not touched
        const int timerPosts = worker.Posts();

        worker.PostEventMessage(0x8001, 0, 0);
        ASSERT_EQ(worker.Open(), 1);
        ASSERT_TRUE(WaitUntil([&] { return worker.m_others.load() == 1; }));
        EXPECT_GE(worker.CountOf(6), 2);
        if (removePending) {
            EXPECT_EQ(worker.CountOf(5), 0);
        } else {
            EXPECT_EQ(worker.CountOf(5) + worker.CountOf(6), timerPosts);
        }
    }
}

TEST_F(ThreadTimer, IdZeroNeverFiresAndPeriodZeroFiresEveryPass)
{
    TimerWorker worker;
    ASSERT_EQ(worker.Open(), 1);
    EXPECT_EQ(worker.SetThreadTimer(0, 10, 0), 0u);
    ASSERT_EQ(worker.SetThreadTimer(3, 0, 0), 3u);
    ASSERT_TRUE(WaitUntil([&] { return worker.CountOf(3) >= 50; }));
    EXPECT_EQ(worker.KillThreadTimer(3, 1), 1);
    ASSERT_EQ(worker.SetThreadTimer(4, 30, 0), 4u);
    ASSERT_TRUE(WaitUntil([&] { return worker.CountOf(4) >= 3; }));
    EXPECT_EQ(worker.CountOf(0), 0);
    EXPECT_EQ(worker.KillThreadTimer(0, 0), 1);
    EXPECT_EQ(worker.KillThreadTimer(4, 0), 1);
}

// Lives in one fixed block that its delete marks and keeps, so that a post
// to a destroyed owner would crash or leave a trace.
class Doomed : public TimerWorker {
public:
    static void* operator new(std::size_t size)
    {
        if (size > sizeof s_block) throw std::bad_alloc();
        return s_block;
    }
    static void operator delete(void* block) { std::memset(block, 0xDD, sizeof(Doomed)); }
    static bool Untouched()
    {
        for (std::size_t i = 0; i < sizeof(Doomed); ++i) {
            if (s_block[i] != 0xDD) return false;
        }
        return true;
    }

private:
    alignas(16) static unsigned char s_block[sizeof(TimerWorker) + 64];
};
alignas(16) unsigned char Doomed::s_block[sizeof(TimerWorker) + 64];

TEST_F(ThreadTimer, DestroyingAnOwnerRemovesItsTimers)
{
    for (int round = 0; round < 20; ++round) {
        Doomed* doomed = new Doomed;
        doomed->SetThreadTimer(1, 0, 0);  // fires on every pass: races the delete
        doomed->SetThreadTimer(2, 1, 0);
        ASSERT_TRUE(WaitUntil([&] { return doomed->Posts() >= 3; }));
        delete doomed;
    }
    TimerWorker witness;
    ASSERT_EQ(witness.Open(), 1);
    witness.SetThreadTimer(1, 5, 0);
    ASSERT_TRUE(WaitUntil([&] { return witness.Firings() >= 10; }));
    witness.KillThreadTimer(1, 0);
    EXPECT_TRUE(Doomed::Untouched());
}

// Its first timer post waits in SetMessageEvent until the test releases it.
class HoldingOwner : public CSimpleThread {
public:
    explicit HoldingOwner(HeldPost& hold) : m_hold(hold) {}

protected:
    void Running() override {}
    void SetMessageEvent() override
    {
        HeldPost& hold = m_hold;  // this part of the object may be gone after the hold
        if (hold.Hold()) CSimpleThread::SetMessageEvent();
    }

private:
    HeldPost& m_hold;
};

TEST_F(ThreadTimer, DestroyingAnOwnerWaitsForAFiringUnderWay)
{
    // The owner has no timer left when it is destroyed (killed, or the
    // service is stopping), yet a firing noted before is still being posted.
    for (const bool stopService : {false, true}) {
        SCOPED_TRACE(stopService ? "service stopping" : "timer killed");
        HeldPost hold;
        HoldingOwner* owner = new HoldingOwner(hold);
        ASSERT_EQ(owner->SetThreadTimer(1, 1, 0), 1u);
        ASSERT_TRUE(hold.WaitHeld());
        std::thread stopper;
        int stopped = 0;
        TimerWorker probe;
        if (stopService) {
            stopper = std::thread([&] { stopped = UninitializeTimer(); });
            // Stopping has begun once no timer can be set.
            EXPECT_TRUE(WaitUntil([&] { return probe.SetThreadTimer(9, 100000, 0) == 0; }));
        } else {
            EXPECT_EQ(owner->KillThreadTimer(1, 0), 1);
        }
        hold.DestroyDuringPost(owner);
        if (stopper.joinable()) {
            stopper.join();
            EXPECT_EQ(stopped, 1);
            EXPECT_EQ(InitializeTimer(), 1);
        }
        EXPECT_FALSE(hold.OutlivedOwner());
    }
}

TEST_F(ThreadTimer, ServiceRunsWhileAnyUserRemains)
{
    EXPECT_EQ(InitializeTimer(), 2);
    EXPECT_EQ(UninitializeTimer(), 1);
    {
        TimerWorker worker;
        ASSERT_EQ(worker.Open(), 1);
        ASSERT_EQ(worker.SetThreadTimer(1, 10, 0), 1u);
        EXPECT_TRUE(WaitUntil([&] { return worker.Firings() >= 2; }));
    }
    EXPECT_EQ(UninitializeTimer(), 1);
    {
        TimerWorker worker;
        EXPECT_EQ(worker.SetThreadTimer(1, 10, 0), 0u);
        EXPECT_EQ(worker.KillThreadTimer(1, 0), 0);
    }
    EXPECT_EQ(UninitializeTimer(), 0);
    EXPECT_EQ(InitializeTimer(), 1);  // for TearDown
}

TEST_F(ThreadTimer, RestartingAndFiringAllocateNothingAfterWarmUp)
{
    ASSERT_GT(alloccount::Hook(GetModuleHandleA("AhCommon.dll")), 0);
    alloccount::Hook(GetModuleHandleA(nullptr));
    TimerWorker worker;
    ASSERT_EQ(worker.Open(), 1);
    // Records enough for the firings that queue up should the worker lag.
    for (int i = 0; i < 1000; ++i) worker.PostEventMessage(0x8001, 0, 0);
    worker.SetThreadTimer(1, 10, 0);
    ASSERT_TRUE(WaitUntil([&] { return worker.Firings() >= 3 && worker.m_others.load() == 1000; }));

    const long before = alloccount::Count();
    bool fired = true;
    for (int i = 0; i < 20 && fired; ++i) {
        const int n = worker.Firings();
        worker.SetThreadTimer(1, 10, i);
        fired = WaitUntil([&] { return worker.Firings() > n; });
    }
    const long allocations = alloccount::Count() - before;
    worker.KillThreadTimer(1, 1);
    ASSERT_TRUE(fired);
    EXPECT_EQ(allocations, 0) << alloccount::LastCallerModule();
}

}  // namespace
