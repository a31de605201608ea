// VantrelHK.dll through its exports, bound by name as the program binds it,
// with mouse input injected by SendInput.
#include "hook/hookcore.h"
#include "hook/vantrelhk.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using hook::HookMouseEvent;

template <class F>
F Entry(HMODULE module, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

struct Library {
    HMODULE module = LoadLibraryW(L"VantrelHK.dll");
    HookSwitchProc install = Entry<HookSwitchProc>(module, "InstallMenu");
    HookSwitchProc enable = Entry<HookSwitchProc>(module, "EnableMenu");
    HookStatisticsProc statistics = Entry<HookStatisticsProc>(module, "GetHookStatistics");

    static Library& Get()
    {
        static Library library;
        return library;
    }
    HookStatistics Statistics(bool reset = false)
    {
        static HookStatistics s;  // large: not on the stack
        statistics(&s, reset ? TRUE : FALSE);
        return s;
    }
};

// A window that keeps every record it receives. With a hang event it blocks in
// its handler until the event is set, like a program that stopped answering.
struct Receiver {
    HWND hwnd = nullptr;
    HANDLE hang = nullptr;
    std::mutex lock;
    std::vector<HookMouseEvent> records;

    std::vector<HookMouseEvent> Snapshot()
    {
        std::lock_guard<std::mutex> guard(lock);
        return records;
    }
    size_t Count()
    {
        std::lock_guard<std::mutex> guard(lock);
        return records.size();
    }
};

LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* receiver = reinterpret_cast<Receiver*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_COPYDATA && receiver) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data->cbData == sizeof(HookMouseEvent)) {
            HookMouseEvent event;
            std::memcpy(&event, data->lpData, sizeof event);
            std::lock_guard<std::mutex> guard(receiver->lock);
            receiver->records.push_back(event);
        }
        if (receiver->hang)
            WaitForSingleObject(receiver->hang, 10000);
        return TRUE;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND CreateReceiver(Receiver* receiver, int x, int y)
{
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ReceiverProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = L"HookTestReceiver";
        return RegisterClassW(&wc);
    }();
    if (!atom)
        return nullptr;
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, L"HookTestReceiver", L"Hook test receiver",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 400, 300, nullptr, nullptr,
                                GetModuleHandleW(nullptr), receiver);
    if (hwnd)
        UpdateWindow(hwnd);
    return hwnd;
}

// Handles this thread's messages until `done` holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    ASSERT_EQ(SendInput(1, &input, sizeof input), 1u);
}

// Absolute coordinates in 1/65536 of the screen, rounded up so that the
// system's scaling back lands on the intended pixel. Buttons go with a move to
// their point, so a late pointer echo from the X server cannot shift them.
void MouseAt(POINT p, DWORD buttons = 0)
{
    const LONG w = GetSystemMetrics(SM_CXSCREEN);
    const LONG h = GetSystemMetrics(SM_CYSCREEN);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons, (p.x * 65536 + w - 1) / w,
              (p.y * 65536 + h - 1) / h);
}

void MoveTo(POINT p)
{
    MouseAt(p);
}

std::uint32_t Low32(HWND hwnd)
{
    return static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(hwnd));
}

std::set<DWORD> ThreadsOfThisProcess()
{
    std::set<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Thread32First(snapshot, &entry); ok; ok = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ids.insert(entry.th32ThreadID);
    CloseHandle(snapshot);
    return ids;
}

bool ThreadRunning(DWORD id)
{
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id);
    if (!thread)
        return false;
    const bool running = WaitForSingleObject(thread, 0) == WAIT_TIMEOUT;
    CloseHandle(thread);
    return running;
}

// A window of its own thread, for a receiver that must not share the test's
// thread (a hung one), or a second low-level hook further down the chain.
class HelperThread {
public:
    explicit HelperThread(std::function<void()> setUp) : m_setUp(std::move(setUp))
    {
        m_ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_thread = CreateThread(nullptr, 0, &HelperThread::Main, this, 0, &m_id);
        WaitForSingleObject(m_ready, 10000);
    }
    ~HelperThread()
    {
        PostThreadMessageW(m_id, WM_QUIT, 0, 0);
        // Keep answering sent messages: the helper may be sending to us.
        PumpUntil([&] { return WaitForSingleObject(m_thread, 0) == WAIT_OBJECT_0; }, 30000);
        CloseHandle(m_thread);
        CloseHandle(m_ready);
    }
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;

private:
    static DWORD WINAPI Main(void* param)
    {
        auto* self = static_cast<HelperThread*>(param);
        MSG msg;
        PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        self->m_setUp();
        SetEvent(self->m_ready);
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        return 0;
    }

    std::function<void()> m_setUp;
    HANDLE m_ready = nullptr;
    HANDLE m_thread = nullptr;
    DWORD m_id = 0;
};

class HookLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(lib.module, nullptr) << "VantrelHK.dll not found";
        ASSERT_NE(lib.install, nullptr);
        ASSERT_NE(lib.enable, nullptr);
        ASSERT_NE(lib.statistics, nullptr);
        hwnd = CreateReceiver(&receiver, 100, 100);
        ASSERT_NE(hwnd, nullptr);
        SetForegroundWindow(hwnd);
        RECT client;
        GetClientRect(hwnd, &client);
        MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
        RECT frame;
        GetWindowRect(hwnd, &frame);
        clientCentre = {(client.left + client.right) / 2, (client.top + client.bottom) / 2};
        caption = {clientCentre.x, (frame.top + client.top) / 2};
    }
    void TearDown() override
    {
        lib.install(0, nullptr);
        DestroyWindow(hwnd);
    }

    // Waits for the record of `message` at `p` that arrives after record `from`.
    std::optional<HookMouseEvent> WaitForRecord(Receiver& r, std::uint32_t message, POINT p, size_t from = 0,
                                                DWORD timeoutMs = 10000)
    {
        std::optional<HookMouseEvent> found;
        PumpUntil(
            [&] {
                const auto records = r.Snapshot();
                for (size_t i = from; i < records.size(); ++i)
                    if (records[i].message == message && records[i].x == p.x && records[i].y == p.y) {
                        found = records[i];
                        return true;
                    }
                return false;
            },
            timeoutMs);
        return found;
    }

    Library& lib = Library::Get();
    Receiver receiver;
    HWND hwnd = nullptr;
    POINT clientCentre{};
    POINT caption{};
};

TEST_F(HookLibraryTest, ExportsEveryEntryPointByPlainName)
{
    const char* names[] = {"GetCurrentPopupMenu", "GetCurrentVantrel", "HideVantrel", "InitializeVantrel",
                           "InstallMenu", "GetMsgProc", "DestroyVantrel", "ShowVantrel", "EnableMenu",
                           "DetachPopupMenu", "MyMsgProcess", "AttachPopupMenu", "GetUserPopupMenu",
                           "GetSysPopupMenu"};
    for (const char* name : names)
        EXPECT_NE(GetProcAddress(lib.module, name), nullptr) << name;
}

TEST_F(HookLibraryTest, ReportsInjectedMovesAndClicksWithTheWindowUnderThePoint)
{
    // A move to where the pointer already is makes no event.
    POINT now;
    if (GetCursorPos(&now) && now.x == clientCentre.x && now.y == clientCentre.y)
        clientCentre = {clientCentre.x + 13, clientCentre.y + 7};
    ASSERT_EQ(lib.install(1, hwnd), 1);
    struct Step {
        const char* what;
        std::function<void()> act;
        POINT at;
        std::uint32_t message;
    };
    const Step steps[] = {
        {"move over the client area", [&] { MoveTo(clientCentre); }, clientCentre, 0x200},
        {"left press", [&] { MouseAt(clientCentre, MOUSEEVENTF_LEFTDOWN); }, clientCentre, 0x201},
        {"left release", [&] { MouseAt(clientCentre, MOUSEEVENTF_LEFTUP); }, clientCentre, 0x202},
        {"right press", [&] { MouseAt(clientCentre, MOUSEEVENTF_RIGHTDOWN); }, clientCentre, 0x204},
        {"move over the caption", [&] {
             MouseAt(clientCentre, MOUSEEVENTF_RIGHTUP);
             MoveTo(caption);
         }, caption, 0xA0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const size_t before = receiver.Count();
        step.act();
        const auto record = WaitForRecord(receiver, step.message, step.at, before);
        if (!record) {
            for (const HookMouseEvent& e : receiver.Snapshot())
                std::printf("  got %x at %d,%d injected %u\n", e.message, e.x, e.y, e.injected);
        }
        ASSERT_TRUE(record.has_value()) << "no record at " << step.at.x << "," << step.at.y;
        EXPECT_EQ(record->window, Low32(hwnd));
        EXPECT_EQ(record->injected, 1u);
    }
    // Right releases are not reported.
    for (const HookMouseEvent& e : receiver.Snapshot())
        EXPECT_NE(e.message, 0x205u);
}

// Wine echoes an injected move back from the X server as a device move at the
// same point a little later; only the injected records tell what the hook saw
// of the injected moves themselves.
TEST_F(HookLibraryTest, EnableMenuStopsAndResumesTheReports)
{
    ASSERT_EQ(lib.install(1, hwnd), 1);
    MoveTo(clientCentre);
    ASSERT_TRUE(WaitForRecord(receiver, 0x200, clientCentre).has_value());

    ASSERT_EQ(lib.enable(0, hwnd), 1);
    const DWORD seen = lib.Statistics().seen;
    const size_t before = receiver.Count();
    std::vector<POINT> paused;
    for (int i = 1; i <= 5; ++i) {
        paused.push_back({clientCentre.x + 9 * i, clientCentre.y + 4});
        MoveTo(paused.back());
    }
    // The hook has seen all five before reporting resumes.
    ASSERT_TRUE(PumpUntil([&] { return lib.Statistics().seen >= seen + 5; }, 10000));

    ASSERT_EQ(lib.enable(1, hwnd), 1);
    const POINT marker{clientCentre.x - 30, clientCentre.y - 20};
    MoveTo(marker);
    ASSERT_TRUE(WaitForRecord(receiver, 0x200, marker, before).has_value()) << "reports did not resume";
    const auto records = receiver.Snapshot();
    for (size_t i = before; i < records.size(); ++i)
        for (const POINT& p : paused)
            EXPECT_FALSE(records[i].injected && records[i].x == p.x && records[i].y == p.y)
                << "reported while disabled";
}

TEST_F(HookLibraryTest, UninstallEndsItsThreadsAndInstallWorksAgain)
{
    const std::set<DWORD> idle = ThreadsOfThisProcess();
    ASSERT_EQ(lib.install(1, hwnd), 1);
    std::vector<DWORD> started;
    for (DWORD id : ThreadsOfThisProcess())
        if (!idle.count(id))
            started.push_back(id);
    EXPECT_GE(started.size(), 2u) << "a hook thread and a delivery thread";

    ASSERT_EQ(lib.install(0, nullptr), 1);
    for (DWORD id : started)
        EXPECT_FALSE(ThreadRunning(id)) << "thread " << id << " still runs after InstallMenu(0)";

    const size_t before = receiver.Count();
    const POINT unhooked{clientCentre.x + 40, clientCentre.y + 40};
    MoveTo(unhooked);
    // The system has taken the move before the hook comes back.
    ASSERT_TRUE(PumpUntil(
        [&] {
            POINT p;
            return GetCursorPos(&p) && p.x == unhooked.x && p.y == unhooked.y;
        },
        10000));
    ASSERT_EQ(lib.install(1, hwnd), 1);
    const POINT marker{clientCentre.x - 40, clientCentre.y + 40};
    MoveTo(marker);
    ASSERT_TRUE(WaitForRecord(receiver, 0x200, marker, before).has_value());
    for (const HookMouseEvent& e : receiver.Snapshot())
        EXPECT_FALSE(e.injected && e.x == unhooked.x && e.y == unhooked.y) << "reported while uninstalled";
}

LRESULT CALLBACK CountingHook(int code, WPARAM wParam, LPARAM lParam);
std::atomic<int> g_countedByNextHook{0};

LRESULT CALLBACK CountingHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == WM_MOUSEMOVE)
        ++g_countedByNextHook;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(HookLibraryTest, PassesEveryEventToTheNextHook)
{
    HHOOK next = nullptr;
    {
        // Installed first, so it is called after the library's hook.
        HelperThread helper([&] { next = SetWindowsHookExW(WH_MOUSE_LL, CountingHook, GetModuleHandleW(nullptr), 0); });
        ASSERT_NE(next, nullptr);
        ASSERT_EQ(lib.install(1, hwnd), 1);
        g_countedByNextHook = 0;
        for (int i = 0; i < 20; ++i) {
            if (i == 10)
                lib.enable(0, hwnd);  // paused or not, the chain goes on
            MoveTo({clientCentre.x + (i % 2 ? 25 : -25), clientCentre.y + i});
        }
        EXPECT_TRUE(PumpUntil([] { return g_countedByNextHook >= 20; }, 10000))
            << "the next hook saw " << g_countedByNextHook << " of 20 moves";
        lib.install(0, nullptr);
    }
    UnhookWindowsHookEx(next);
}

TEST_F(HookLibraryTest, HungReceiverDoesNotStallTheMouse)
{
    Receiver hung;
    hung.hang = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND hungWindow = nullptr;
    {
        HelperThread helper([&] { hungWindow = CreateReceiver(&hung, 560, 100); });
        ASSERT_NE(hungWindow, nullptr);
        ASSERT_EQ(lib.install(1, hungWindow), 1);
        lib.Statistics(true);

        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        double slowestMs = 0;
        for (int i = 0; i < 30; ++i) {
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            MoveTo({clientCentre.x + (i % 5) * 10, clientCentre.y + i});
            QueryPerformanceCounter(&end);
            slowestMs = std::max(slowestMs, (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart);
        }
        // The first record blocks the receiver; later ones time out meanwhile.
        EXPECT_TRUE(PumpUntil([&] { return lib.Statistics().failed >= 1; }, 10000));
        const HookStatistics& stats = lib.Statistics();
        std::printf("slowest injected move while the receiver hung: %.2f ms; slowest callback %.3f ms\n",
                    slowestMs, stats.maxCallbackNs / 1e6);
        // A callback that waited on the receiver would take 200 ms or more.
        EXPECT_LT(slowestMs, 100.0);
        EXPECT_LT(stats.maxCallbackNs, 50u * 1000 * 1000);

        SetEvent(hung.hang);
        EXPECT_TRUE(PumpUntil([&] { return hung.Count() >= 2; }, 20000)) << "delivery did not resume";
        lib.install(0, nullptr);
    }  // the window goes with its thread
    CloseHandle(hung.hang);
}

// Inside the process the record travels by pointer. A receiver that stopped
// inside its handler before reading the record, long enough for the system to
// call it hung, must still read the record meant for it once it goes on, however
// many moves the hook saw meanwhile.
struct StalledReader {
    HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HookMouseEvent first{};  // as it was when the handler was entered
    HookMouseEvent late{};   // as the handler read it after its stall
    bool stalled = false;
    ~StalledReader()
    {
        CloseHandle(entered);
        CloseHandle(release);
        CloseHandle(done);
    }
};
StalledReader* g_stalledReader;

LRESULT CALLBACK StalledReaderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA && g_stalledReader && !g_stalledReader->stalled) {
        StalledReader& r = *g_stalledReader;
        r.stalled = true;
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        std::memcpy(&r.first, data->lpData, sizeof r.first);
        SetEvent(r.entered);
        WaitForSingleObject(r.release, 60000);
        std::memcpy(&r.late, data->lpData, sizeof r.late);
        SetEvent(r.done);
        return TRUE;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(HookLibraryTest, ReceiverStalledInItsHandlerReadsItsOwnRecord)
{
    StalledReader reader;
    g_stalledReader = &reader;
    HWND stalledWindow = nullptr;
    {
        HelperThread helper([&] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = StalledReaderProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"HookTestStalledReader";
            if (RegisterClassW(&wc))
                stalledWindow = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                                wc.hInstance, nullptr);
        });
        ASSERT_NE(stalledWindow, nullptr);
        ASSERT_EQ(lib.install(1, stalledWindow), 1);
        lib.Statistics(true);
        MoveTo({clientCentre.x - 60, clientCentre.y - 30});
        ASSERT_EQ(WaitForSingleObject(reader.entered, 10000), WAIT_OBJECT_0);
        // The system calls a thread hung after 5 s without reading its queue;
        // from then on sends to it give up at once.
        PumpUntil([] { return false; }, 5500);

        // Many more events than the library keeps records for.
        for (int batch = 0; batch < 12; ++batch) {
            for (int i = 0; i < 50; ++i)
                MoveTo({clientCentre.x - 100 + i * 4, clientCentre.y - 60 + batch * 10 + i % 3});
            PumpUntil(
                [&] {
                    const HookStatistics& s = lib.Statistics();
                    return s.delivered + s.failed >= s.queued;
                },
                5000);
        }
        const HookStatistics& stats = lib.Statistics();
        EXPECT_GE(stats.failed, 300u) << "queued " << stats.queued << ", delivered " << stats.delivered;

        SetEvent(reader.release);
        ASSERT_EQ(WaitForSingleObject(reader.done, 10000), WAIT_OBJECT_0);
        EXPECT_EQ(std::memcmp(&reader.first, &reader.late, sizeof reader.first), 0)
            << "the stalled receiver read a record at " << reader.late.x << "," << reader.late.y
            << " instead of its own at " << reader.first.x << "," << reader.first.y;
        lib.install(0, nullptr);
    }
    g_stalledReader = nullptr;
}

// What a tool outside the program reads: the same figures, by name, without
// asking any thread of the program.
TEST_F(HookLibraryTest, FiguresAreReadableByNameFromOutside)
{
    const std::string name = VANTRELHK_STATISTICS_PREFIX + std::to_string(GetCurrentProcessId());
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    ASSERT_NE(mapping, nullptr) << name;
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(hook::HookCounters));
    ASSERT_NE(view, nullptr);
    const auto& counters = *static_cast<const hook::HookCounters*>(view);

    ASSERT_EQ(lib.install(1, hwnd), 1);
    lib.Statistics(true);
    const POINT marker{clientCentre.x + 21, clientCentre.y - 11};
    MoveTo(marker);
    ASSERT_TRUE(WaitForRecord(receiver, 0x200, marker).has_value());
    // Paused and settled, so that both readings see the same moment.
    ASSERT_EQ(lib.enable(0, hwnd), 1);
    PumpUntil([] { return false; }, 300);
    const HookStatistics& stats = lib.Statistics();
    EXPECT_GE(counters.callbacks.load(), 1u);
    EXPECT_EQ(counters.callbacks.load(), stats.callbacks);
    EXPECT_EQ(counters.delivered.load(), stats.delivered);
    EXPECT_EQ(counters.timings.Count(), stats.recentCount);
    EXPECT_EQ(counters.timings.Maximum(), stats.maxCallbackNs);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
}

TEST_F(HookLibraryTest, CallbackCostOverManyMoves)
{
    ASSERT_EQ(lib.install(1, hwnd), 1);
    lib.Statistics(true);
    const size_t before = receiver.Count();
    constexpr int kMoves = 300;
    for (int i = 0; i < kMoves; ++i)
        MoveTo({clientCentre.x - 150 + i, clientCentre.y + (i % 7)});
    // Every move's record reaches the receiver, or is counted as not taken in
    // time (this thread, the receiver, is slow on a busy machine, and the last
    // move's record may be one of those): none is lost unseen.
    const auto accounted = [&] { return receiver.Count() - before + lib.Statistics().failed; };
    ASSERT_TRUE(PumpUntil([&] { return accounted() >= static_cast<size_t>(kMoves); }, 30000))
        << "of " << kMoves << " moves, " << accounted() << " arrived or were counted as not taken in time";

    const HookStatistics& stats = lib.Statistics();
    std::vector<DWORD> ns(stats.recentCallbackNs, stats.recentCallbackNs + stats.recentCount);
    ASSERT_GE(ns.size(), static_cast<size_t>(kMoves));
    std::sort(ns.begin(), ns.end());
    const double medianUs = ns[ns.size() / 2] / 1000.0;
    std::printf("callback over %zu moves: median %.1f us, maximum %.1f us; %lu delivered, %lu not taken in time, "
                "%lu dropped\n",
                ns.size(), medianUs, stats.maxCallbackNs / 1000.0, static_cast<unsigned long>(stats.delivered),
                static_cast<unsigned long>(stats.failed), static_cast<unsigned long>(stats.dropped));
    EXPECT_LT(medianUs, 1000.0);
    EXPECT_EQ(stats.dropped, 0u);
}

}  // namespace
