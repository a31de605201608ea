#include "app/appmessages.h"
#include "app/hookqueue.h"
#include "app/messagewnd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class Recorder : public HookEventSink {
public:
    std::vector<HookMouseEvent> events;
    void enqueueHookEvent(const HookMouseEvent& event) override { events.push_back(event); }
};

HookMouseEvent Event(std::uint32_t message, int x, int y)
{
    HookMouseEvent e = {};
    e.message = message;
    e.x = x;
    e.y = y;
    e.window = 0x1234;
    return e;
}

LRESULT Report(HWND window, const void* data, DWORD size)
{
    COPYDATASTRUCT cds = {};
    cds.dwData = 99;  // not looked at
    cds.cbData = size;
    cds.lpData = const_cast<void*>(data);
    return SendMessageA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
}

TEST(MessageWindow, DropsRepeatsAndReportsWhileBusy)
{
    Recorder sink;
    std::atomic<int> ready{1};
    CMessageWnd window;
    ASSERT_TRUE(window.Create());
    window.setOwner(&sink, &ready);

    const HookMouseEvent zero = {};
    const HookMouseEvent a = Event(WM_MOUSEMOVE, 10, 20);
    const HookMouseEvent b = Event(WM_RBUTTONDOWN, 10, 20);
    const HookMouseEvent c = Event(WM_MOUSEMOVE, 11, 20);
    const struct {
        HookMouseEvent event;
        int ready;
        bool passed;
    } steps[] = {
        {zero, 1, false},  // same as the initial last event
        {a, 1, true},  {a, 1, false}, {b, 1, true}, {a, 1, true},  // a repeat only counts when it is the last one
        {c, 0, false},                                            // engine busy: dropped, not delayed
        {c, 1, true},
    };
    std::vector<HookMouseEvent> expected;
    for (const auto& s : steps) {
        ready = s.ready;
        EXPECT_EQ(Report(window.m_hWnd, &s.event, sizeof s.event), TRUE);
        if (s.passed) expected.push_back(s.event);
    }
    ASSERT_EQ(sink.events.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(std::memcmp(&sink.events[i], &expected[i], sizeof(HookMouseEvent)), 0) << i;

    // A block too short to be a report is never read.
    const HookMouseEvent d = Event(WM_LBUTTONDOWN, 1, 2);
    EXPECT_EQ(Report(window.m_hWnd, &d, 20), TRUE);
    EXPECT_EQ(Report(window.m_hWnd, nullptr, 28), TRUE);
    EXPECT_EQ(sink.events.size(), expected.size());
    window.DestroyWindow();
}

// Any program can send the window data: a record whose message the hook
// library never reports (WM_QUIT would end the worker's loop, 0x465 would
// choose a menu item) is dropped.
TEST(MessageWindow, TakesOnlyTheMouseMessagesTheHookReports)
{
    Recorder sink;
    std::atomic<int> ready{1};
    CMessageWnd window;
    ASSERT_TRUE(window.Create());
    window.setOwner(&sink, &ready);
    const struct {
        std::uint32_t message;
        bool passed;
    } cases[] = {
        {WM_MOUSEMOVE, true},   {WM_LBUTTONDOWN, true},   {WM_LBUTTONUP, true},   {WM_RBUTTONDOWN, true},
        {WM_NCMOUSEMOVE, true}, {WM_NCLBUTTONDOWN, true}, {WM_NCLBUTTONUP, true}, {WM_NCRBUTTONDOWN, true},
        {WM_QUIT, false},       {0x465, false},           {WM_RBUTTONUP, false},  {WM_KEYDOWN, false},
        {WM_LBUTTONDBLCLK, false}, {0, false},            {0xFFFFFFFFu, false},
    };
    int x = 0;
    for (const auto& c : cases) {
        sink.events.clear();
        const HookMouseEvent event = Event(c.message, ++x, 5);
        EXPECT_EQ(Report(window.m_hWnd, &event, sizeof event), TRUE);
        EXPECT_EQ(c.passed ? 1u : 0u, sink.events.size()) << std::hex << c.message;
    }
    window.DestroyWindow();
}

TEST(HookEventQueue, DeliversInOrderWakesTheWorkerAndReusesRecords)
{
    CHookEventQueue queue;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // this thread stands for the worker
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    queue.setWakeThread(GetCurrentThreadId());

    for (int i = 0; i < 5; ++i) queue.enqueue(Event(WM_MOUSEMOVE, i, 0));
    int wakes = 0;
    while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE))
        if (msg.message == TM_HOOK_EVENTS) ++wakes;
    EXPECT_EQ(wakes, 5);

    HookMouseEvent out;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(queue.dequeue(out));
        EXPECT_EQ(out.x, i);
    }
    queue.dropPending();  // what is left is dropped when the tray menu opens
    EXPECT_FALSE(queue.dequeue(out));
    EXPECT_EQ(queue.spareCount(), 5u);

    // Later events use the spare records.
    queue.setWakeThread(0);
    for (int i = 0; i < 5; ++i) queue.enqueue(Event(WM_MOUSEMOVE, 100 + i, 0));
    EXPECT_EQ(queue.pendingCount() + queue.spareCount(), 5u);
    ASSERT_TRUE(queue.dequeue(out));
    EXPECT_EQ(out.x, 100);
    queue.freeAll();
    EXPECT_EQ(queue.pendingCount() + queue.spareCount(), 0u);
}

}  // namespace
