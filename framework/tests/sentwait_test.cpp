#include "framework/sentwait.h"
#include "framework/window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

const UINT kBusy = WM_APP + 0x320;

// Stands for the user-interface thread's frame.
class Frame : public CWnd {
public:
    std::atomic<int> busyCalls{0};

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kBusy) {
            ++busyCalls;
            return 1;
        }
        return CWnd::OnMessage(message, wParam, lParam);
    }
};

TEST(SentMessageWait, WorkerThatSendsWhileTheFrameWaitsCannotDeadlock)
{
    Frame frame;
    RECT none = {0, 0, 0, 0};
    ASSERT_TRUE(frame.CreateEx(0, CWnd::RegisterWndClass(0), "Frame", WS_POPUP, none, nullptr, 0));
    HANDLE closed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE asked = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ASSERT_NE(closed, nullptr);

    // The worker, asked to close its menus, first sends the frame a message
    // (as a menu window does when an item is chosen) and only then signals.
    std::atomic<LRESULT> answer{0};
    std::thread worker([&] {
        WaitForSingleObject(asked, INFINITE);
        answer = SendMessageA(frame.m_hWnd, kBusy, 1, 0);
        SetEvent(closed);
    });
    PostMessageA(frame.m_hWnd, WM_APP + 1, 0, 0);  // posted: must stay queued
    SetEvent(asked);

    const DWORD start = GetTickCount();
    const bool signalled = WaitHandlingSentMessages(closed, 20000);
    const DWORD spent = GetTickCount() - start;
    worker.join();

    EXPECT_TRUE(signalled);
    EXPECT_LT(spent, 10000u);
    EXPECT_EQ(frame.busyCalls.load(), 1);
    EXPECT_EQ(answer.load(), 1);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, frame.m_hWnd, WM_APP + 1, WM_APP + 1, PM_REMOVE));

    CloseHandle(closed);
    CloseHandle(asked);
    frame.DestroyWindow();
}

TEST(SentMessageWait, ReportsTimeOutAndAlreadySignalledHandles)
{
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_FALSE(WaitHandlingSentMessages(event, 50));
    SetEvent(event);
    EXPECT_TRUE(WaitHandlingSentMessages(event, 0));
    CloseHandle(event);
}

}  // namespace
