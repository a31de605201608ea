#include "app/appmessages.h"
#include "app/hookqueue.h"
#include "app/processthread.h"
#include "ahcommon/threadtimer.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

// Stands for the main frame as the worker sees it.
class Owner : public ProcessThreadOwner {
public:
    CHookEventQueue queue;
    std::atomic<DWORD> startedOn{0};
    void startHookReports() override { startedOn = GetCurrentThreadId(); }
    bool dequeueHookEvent(HookMouseEvent& event) override { return queue.dequeue(event); }
};

bool WaitForEvents(const CProcessThread& worker, unsigned wanted)
{
    for (int i = 0; i < 1000 && worker.eventsTaken() < wanted; ++i) Sleep(10);
    return worker.eventsTaken() >= wanted;
}

TEST(ProcessThread, StartsTakesHookEventsClosesMenusAndStops)
{
    InitializeTimer();
    {
        Owner owner;
        CProcessThread worker;
        EXPECT_STREQ(worker.GetRuntimeThread()->m_className, "CProcessThread");
        worker.setOwner(&owner);
        ASSERT_EQ(worker.Open(), 1);
        worker.WaitRunning();
        ASSERT_EQ(worker.GetRunning(), 1);
        EXPECT_NE(owner.startedOn.load(), 0u);
        EXPECT_NE(owner.startedOn.load(), GetCurrentThreadId()) << "the hook is bound on the worker";

        owner.queue.setWakeThread(worker.threadId());
        HookMouseEvent event = {};
        for (int i = 0; i < 300; ++i) {
            event.x = i;
            owner.queue.enqueue(event);
        }
        EXPECT_TRUE(WaitForEvents(worker, 300));
        EXPECT_EQ(worker.eventsTaken(), 300u);
        EXPECT_EQ(owner.queue.pendingCount(), 0u);

        // Asked to close its menus, it signals at once when none is open.
        worker.PostEventMessage(EV_CLOSE_MENUS, 0, 0);
        EXPECT_EQ(WaitForSingleObject(worker.menusClosedEvent(), 10000), WAIT_OBJECT_0);

        const DWORD start = GetTickCount();
        worker.Close();
        EXPECT_LT(GetTickCount() - start, 5000u);
        EXPECT_EQ(worker.GetRunning(), 0);
    }
    UninitializeTimer();
}

TEST(ProcessThread, RefusesToStartWithoutAnOwner)
{
    CProcessThread worker;
    ASSERT_EQ(worker.Open(), 1);
    worker.WaitRunning();
    EXPECT_EQ(worker.GetRunning(), 0);
    worker.Close();
}

}  // namespace
