// The hook library. Two threads of its own:
//  - the hook thread installs the low-level mouse hook and pumps messages, as
//    the system requires; its callback only copies the event into a fixed
//    queue and wakes the delivery thread, so it never waits on anybody;
//  - the delivery thread finds the window under each point, asks it for its
//    hit test (a few ms at most) and sends the record to the program's window.
// A slow or hung program therefore delays its own reports, never the mouse.
#define VANTRELHK_BUILD
#include "hook/vantrelhk.h"

#include "hook/hookcore.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <new>

namespace {

constexpr UINT kHitTestTimeoutMs = 5;     // asking the window under the mouse
constexpr UINT kDeliveryTimeoutMs = 200;  // giving a record to the program

HINSTANCE g_module;
CRITICAL_SECTION g_apiLock;  // serialises InstallMenu and EnableMenu
LARGE_INTEGER g_frequency;

// Shared by the callback, the delivery thread and the entry points.
std::atomic<bool> g_reporting{false};
std::atomic<HWND> g_target{nullptr};
std::atomic<bool> g_stopping{false};
std::atomic<bool> g_deliveryWaiting{false};
hook::SampleQueue g_queue;
hook::MenuArea g_menuArea;      // written by the program's menu thread
hook::ClickKeeper g_clickKeeper;  // the callback's own

// Wakes the delivery thread. WakeByAddressSingle stays inside the process
// where the system has it (Windows 8 and later, and Wine, where setting an
// event is a round trip to the server); an event serves on older systems.
class Wakeup {
public:
    bool Open()
    {
        m_word = 0;
        if (HMODULE kernel = GetModuleHandleW(L"kernelbase.dll")) {
            m_waitOnAddress = reinterpret_cast<WaitOnAddressProc>(
                reinterpret_cast<void (*)()>(GetProcAddress(kernel, "WaitOnAddress")));
            m_wakeByAddress = reinterpret_cast<WakeByAddressProc>(
                reinterpret_cast<void (*)()>(GetProcAddress(kernel, "WakeByAddressSingle")));
        }
        if (m_waitOnAddress && m_wakeByAddress)
            return true;
        m_waitOnAddress = nullptr;
        m_wakeByAddress = nullptr;
        m_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        return m_event != nullptr;
    }
    void Close()
    {
        if (m_event)
            CloseHandle(m_event);
        m_event = nullptr;
    }
    void Signal()
    {
        m_word.fetch_add(1);
        if (m_wakeByAddress)
            m_wakeByAddress(&m_word);
        else
            SetEvent(m_event);
    }
    // Wait(Ticket()) returns once Signal has run after Ticket was taken.
    LONG Ticket() const { return m_word.load(); }
    void Wait(LONG ticket)
    {
        if (!m_waitOnAddress) {
            WaitForSingleObject(m_event, INFINITE);
            return;
        }
        while (m_word.load() == ticket)
            m_waitOnAddress(&m_word, &ticket, sizeof ticket, INFINITE);
    }

private:
    typedef BOOL(WINAPI* WaitOnAddressProc)(volatile void*, void*, SIZE_T, DWORD);
    typedef void(WINAPI* WakeByAddressProc)(void*);
    static_assert(sizeof(std::atomic<LONG>) == sizeof(LONG), "waited on as a plain LONG");

    std::atomic<LONG> m_word{0};
    WaitOnAddressProc m_waitOnAddress = nullptr;
    WakeByAddressProc m_wakeByAddress = nullptr;
    HANDLE m_event = nullptr;  // auto-reset, without WaitOnAddress
};
Wakeup g_wakeup;

// The counters live in a block that other processes can read by name
// (VANTRELHK_STATISTICS_PREFIX); in this process's own memory when the block
// cannot be made. Chosen when the library is loaded, before any thread runs.
hook::HookCounters g_localCounters;
hook::HookCounters* g_counters = &g_localCounters;
HANDLE g_countersMapping;

void PublishCounters()
{
    char name[64];
    std::snprintf(name, sizeof name, "%s%lu", VANTRELHK_STATISTICS_PREFIX,
                  static_cast<unsigned long>(GetCurrentProcessId()));
    g_countersMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                           sizeof(hook::HookCounters), name);
    if (!g_countersMapping)
        return;
    // A block made before us by someone else is not ours to count in.
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(g_countersMapping);
        g_countersMapping = nullptr;
        return;
    }
    void* view = MapViewOfFile(g_countersMapping, FILE_MAP_WRITE, 0, 0, sizeof(hook::HookCounters));
    if (!view) {
        CloseHandle(g_countersMapping);
        g_countersMapping = nullptr;
        return;
    }
    g_counters = new (view) hook::HookCounters;
}

void UnpublishCounters()
{
    if (!g_countersMapping)
        return;
    g_counters->~HookCounters();
    UnmapViewOfFile(g_counters);
    CloseHandle(g_countersMapping);
    g_countersMapping = nullptr;
    g_counters = &g_localCounters;
}

// Owned by the entry points, under g_apiLock.
HANDLE g_hookThread;
DWORD g_hookThreadId;
HANDLE g_deliveryThread;

LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION)
        g_counters->seen.fetch_add(1, std::memory_order_relaxed);
    if (code == HC_ACTION && g_reporting.load(std::memory_order_relaxed)) {
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        const auto message = static_cast<std::uint32_t>(wParam);
        g_counters->callbacks.fetch_add(1, std::memory_order_relaxed);
        bool reported = false;
        if (hook::IsReportedMessage(message)) {
            const hook::MouseSample sample{message, info->pt.x, info->pt.y,
                                           static_cast<std::uint32_t>(info->flags),
                                           static_cast<std::uint32_t>(info->time)};
            if (g_queue.Push(sample)) {
                reported = true;
                g_counters->queued.fetch_add(1, std::memory_order_relaxed);
                std::atomic_thread_fence(std::memory_order_seq_cst);
                if (g_deliveryWaiting.exchange(false))
                    g_wakeup.Signal();
            } else {
                g_counters->dropped.fetch_add(1, std::memory_order_relaxed);
            }
        }
        const bool injected = (info->flags & hook::kInjectedFlags) != 0;
        const bool keep = g_clickKeeper.Keep(message, info->pt.x, info->pt.y, injected, reported, g_menuArea);
        if (keep)
            g_counters->kept.fetch_add(1, std::memory_order_relaxed);
        LARGE_INTEGER end;
        QueryPerformanceCounter(&end);
        const long long ns = (end.QuadPart - start.QuadPart) * 1000000000LL / g_frequency.QuadPart;
        g_counters->timings.Record(ns > 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<std::uint32_t>(ns));
        if (keep)
            return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct HookStart {
    HANDLE ready;
    bool installed;
};

DWORD WINAPI HookThread(void* param)
{
    auto* start = static_cast<HookStart*>(param);
    MSG msg;
    // Make the message queue before anyone can post WM_QUIT to it.
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    HHOOK hook = SetWindowsHookExW(WH_MOUSE_LL, LowLevelMouseProc, g_module, 0);
    start->installed = hook != nullptr;
    SetEvent(start->ready);
    if (!hook)
        return 1;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    UnhookWindowsHookEx(hook);
    return 0;
}

// The client form over the client area, the non-client form elsewhere. The
// window answers itself when it can do so quickly; otherwise its geometry decides.
long HitTest(HWND window, POINT point)
{
    if (!window)
        return HTNOWHERE;
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y), SMTO_ABORTIFHUNG,
                            kHitTestTimeoutMs, &answer)) {
        const long hit = static_cast<long>(static_cast<LRESULT>(answer));
        if (hit != HTTRANSPARENT)
            return hit;
    }
    RECT client;
    if (!GetClientRect(window, &client))
        return HTNOWHERE;
    POINT topLeft{client.left, client.top};
    POINT bottomRight{client.right, client.bottom};
    if (!ClientToScreen(window, &topLeft) || !ClientToScreen(window, &bottomRight))
        return HTNOWHERE;
    const RECT screen{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    return PtInRect(&screen, point) ? HTCLIENT : HTBORDER;
}

// Inside one process a record travels by pointer, and a receiver that took a
// record but answered after the send timed out reads it later. So records are
// sent from here rather than from the stack, and after a send timed out no
// other record is sent (and so no slot reused) until the receiver has answered
// a message without data: it handles what is sent to it in order, so by then
// it is done with the late record. Samples that come meanwhile count as failed.
constexpr std::uint32_t kOutboxSize = 256;
hook::HookMouseEvent g_outbox[kOutboxSize];
COPYDATASTRUCT g_outboxData[kOutboxSize];
std::uint32_t g_outboxNext;     // delivery thread only
bool g_receiverBehind = false;  // delivery thread only: a send timed out

// Whether the receiver has answered since its last record timed out.
bool ReceiverCaughtUp(HWND target)
{
    if (!g_receiverBehind)
        return true;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kDeliveryTimeoutMs, &result))
        return false;
    g_receiverBehind = false;
    return true;
}

void Deliver(const hook::MouseSample& sample)
{
    const HWND target = g_target.load();
    // Samples queued before a pause are not reported after it.
    if (!target || !g_reporting.load())
        return;
    if (!ReceiverCaughtUp(target)) {
        g_counters->failed.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    const POINT point{sample.x, sample.y};
    const HWND window = WindowFromPoint(point);
    const std::uint32_t slot = g_outboxNext++ % kOutboxSize;
    hook::HookMouseEvent& event = g_outbox[slot];
    event = hook::BuildEvent(sample, static_cast<std::uint64_t>(reinterpret_cast<UINT_PTR>(window)),
                             HitTest(window, point));
    COPYDATASTRUCT& data = g_outboxData[slot];
    data = COPYDATASTRUCT{0, sizeof event, &event};
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                            kDeliveryTimeoutMs, &result)) {
        g_counters->delivered.fetch_add(1, std::memory_order_relaxed);
    } else {
        g_counters->failed.fetch_add(1, std::memory_order_relaxed);
        g_receiverBehind = true;
    }
}

DWORD WINAPI DeliveryThread(void*)
{
    for (;;) {
        hook::MouseSample sample;
        while (g_queue.Pop(sample)) {
            if (g_stopping.load())
                return 0;
            Deliver(sample);
        }
        // Announce the wait, then look once more: a sample pushed in between
        // is either seen here or signals the wakeup.
        const LONG ticket = g_wakeup.Ticket();
        g_deliveryWaiting.store(true);
        std::atomic_thread_fence(std::memory_order_seq_cst);
        if (!g_queue.Empty()) {
            g_deliveryWaiting.store(false);
            continue;
        }
        if (g_stopping.load())
            return 0;
        g_wakeup.Wait(ticket);
        if (g_stopping.load())
            return 0;
    }
}

// Joins a thread while still answering messages sent to this thread, so that
// a delivery to a window of the caller's own thread cannot hold the join up.
void Join(HANDLE& thread)
{
    if (!thread)
        return;
    for (;;) {
        const DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    // A record whose send timed out may still wait for this thread: answer it
    // now, while the library that holds it is still loaded.
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    CloseHandle(thread);
    thread = nullptr;
}

void Stop()
{
    g_reporting = false;
    g_target = nullptr;
    g_menuArea.Clear();
    if (g_hookThread) {
        // Its queue was made before it reported ready, so the post cannot miss.
        PostThreadMessageW(g_hookThreadId, WM_QUIT, 0, 0);
        Join(g_hookThread);
    }
    if (g_deliveryThread) {
        g_stopping = true;
        g_wakeup.Signal();
        Join(g_deliveryThread);
    }
    hook::MouseSample sample;
    while (g_queue.Pop(sample)) {
    }
    g_wakeup.Close();
    g_hookThread = nullptr;
    g_hookThreadId = 0;
}

bool Start(HWND target)
{
    g_target = target;
    g_reporting = true;
    if (g_hookThread)
        return true;

    g_stopping = false;
    g_deliveryWaiting = false;
    g_receiverBehind = false;
    if (!g_wakeup.Open()) {
        g_reporting = false;
        return false;
    }
    g_deliveryThread = CreateThread(nullptr, 0, DeliveryThread, nullptr, 0, nullptr);
    if (!g_deliveryThread) {
        Stop();
        return false;
    }

    HookStart start{CreateEventW(nullptr, TRUE, FALSE, nullptr), false};
    if (!start.ready) {
        Stop();
        return false;
    }
    g_hookThread = CreateThread(nullptr, 0, HookThread, &start, 0, &g_hookThreadId);
    if (g_hookThread) {
        // The callback runs on this thread; let it answer before other work.
        SetThreadPriority(g_hookThread, THREAD_PRIORITY_HIGHEST);
        WaitForSingleObject(start.ready, INFINITE);
    }
    CloseHandle(start.ready);
    if (!g_hookThread || !start.installed) {
        if (g_hookThread) {
            WaitForSingleObject(g_hookThread, INFINITE);  // it has returned already
            CloseHandle(g_hookThread);
            g_hookThread = nullptr;
        }
        Stop();
        return false;
    }
    return true;
}

class ApiLock {
public:
    ApiLock() { EnterCriticalSection(&g_apiLock); }
    ~ApiLock() { LeaveCriticalSection(&g_apiLock); }
    ApiLock(const ApiLock&) = delete;
    ApiLock& operator=(const ApiLock&) = delete;
};

}  // namespace

VANTRELHK_API int WINAPI InstallMenu(int install, HWND window)
{
    ApiLock lock;
    if (install)
        return Start(window) ? 1 : 0;
    Stop();
    return 1;
}

VANTRELHK_API int WINAPI EnableMenu(int enable, HWND window)
{
    ApiLock lock;
    if (window)
        g_target = window;
    g_reporting = enable != 0;
    return 1;
}

VANTRELHK_API void WINAPI SetMenuArea(const RECT* rects, int count)
{
    hook::AreaRect area[hook::MenuArea::kMaxRects];
    std::uint32_t n = 0;
    for (int i = 0; rects && i < count && n < hook::MenuArea::kMaxRects; ++i)
        area[n++] = hook::AreaRect{rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
    g_menuArea.Set(area, n);
}

VANTRELHK_API void WINAPI GetHookStatistics(HookStatistics* statistics, BOOL reset)
{
    if (statistics) {
        const hook::HookCounters& c = *g_counters;
        statistics->seen = c.seen.load();
        statistics->callbacks = c.callbacks.load();
        statistics->queued = c.queued.load();
        statistics->dropped = c.dropped.load();
        statistics->delivered = c.delivered.load();
        statistics->failed = c.failed.load();
        statistics->kept = c.kept.load();
        statistics->maxCallbackNs = c.timings.Maximum();
        statistics->recentCount = c.timings.Copy(
            statistics->recentCallbackNs, sizeof statistics->recentCallbackNs / sizeof statistics->recentCallbackNs[0]);
    }
    if (reset)
        g_counters->Reset();
}

// Entry points the program binds but never calls. Plain C calling convention,
// so that a call with any arguments would still leave the stack balanced.
#define VANTRELHK_UNUSED_ENTRY(name) \
    extern "C" __declspec(dllexport) LRESULT name() { return 0; }
VANTRELHK_UNUSED_ENTRY(GetCurrentPopupMenu)
VANTRELHK_UNUSED_ENTRY(GetCurrentVantrel)
VANTRELHK_UNUSED_ENTRY(HideVantrel)
VANTRELHK_UNUSED_ENTRY(InitializeVantrel)
VANTRELHK_UNUSED_ENTRY(GetMsgProc)
VANTRELHK_UNUSED_ENTRY(DestroyVantrel)
VANTRELHK_UNUSED_ENTRY(ShowVantrel)
VANTRELHK_UNUSED_ENTRY(DetachPopupMenu)
VANTRELHK_UNUSED_ENTRY(MyMsgProcess)
VANTRELHK_UNUSED_ENTRY(AttachPopupMenu)
VANTRELHK_UNUSED_ENTRY(GetUserPopupMenu)
VANTRELHK_UNUSED_ENTRY(GetSysPopupMenu)

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void* reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
        InitializeCriticalSection(&g_apiLock);
        QueryPerformanceFrequency(&g_frequency);
        PublishCounters();
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Freed by the program after InstallMenu(0): no thread of ours is left.
        // At process exit the block simply goes with the process.
        UnpublishCounters();
    }
    return TRUE;
}
