#include "app/appmessages.h"
#include "app/hookqueue.h"
#include "app/processthread.h"
#include "framework/window.h"
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

namespace {

// A worker whose menu window, as the user picks an item, sends the frame the
// busy message at the very moment the frame asks for the menus to close.
class SendingWorker : public CProcessThread {
public:
    HWND frame = nullptr;
    std::atomic<LRESULT> answer{0};

protected:
    UINT OnEventMessage(_tagEMSG* msg) override
    {
        if (msg->message == EV_CLOSE_MENUS) answer = SendMessageA(frame, FM_SET_BUSY, 1, 0);
        return CProcessThread::OnEventMessage(msg);
    }
};

class BusyFrame : public CWnd {
public:
    int busy = 0;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == FM_SET_BUSY) {
            busy += static_cast<int>(wParam);
            return 1;
        }
        return CWnd::OnMessage(message, wParam, lParam);
    }
};

TEST(ProcessThread, FrameWaitingForClosedMenusStillAnswersTheWorker)
{
    Owner owner;
    BusyFrame frame;
    const RECT none = {0, 0, 0, 0};
    ASSERT_TRUE(frame.CreateEx(0, CWnd::RegisterWndClass(0), "BusyFrame", WS_POPUP, none, nullptr, 0));
    SendingWorker worker;
    worker.frame = frame.m_hWnd;
    worker.setOwner(&owner);
    ASSERT_EQ(worker.Open(), 1);
    worker.WaitRunning();
    ASSERT_EQ(worker.GetRunning(), 1);

    // Each round would hang for ever with a plain wait.
    for (int round = 1; round <= 20; ++round) {
        worker.closeMenusAndWait();
        EXPECT_EQ(frame.busy, round);
        EXPECT_EQ(worker.answer.load(), 1);
    }
    worker.Close();
    frame.DestroyWindow();
}

}  // namespace
