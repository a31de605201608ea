// The real main frame and its worker under stress: many rounds in which the
// user-interface thread opens the tray menu, logs out or reloads the menus
// (as the designer's save does) while the worker shows a menu and runs the
// item chosen in it. A watchdog fails the run when a round hangs; freed
// memory is poisoned and held back, so that an item run from a freed tree
// types garbage or crashes instead of passing by luck.
#include "app/appmessages.h"
#include "app/mainframe.h"
#include "app/tests/enginetestkit.h"
#include "app/tests/workertestkit.h"
#include "app/vantrelapp.h"
#include "accounts/accountfile.h"
#include "ahcommon/ahsystem.h"
#include "ahcommon/threadtimer.h"
#include "framework/winapp.h"
#include "lang/resource.h"
#include "menudoc/menudocument.h"
#include "menuview/menulayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <new>
#include <random>
#include <string>
#include <thread>
#include <vector>

// Every block freed in this program is filled with 0xDD and kept from reuse
// until many later blocks have been freed, so a read through a stale pointer
// sees the pattern (a string made of it points nowhere).
namespace {

const std::size_t kHeader = 16;
const std::size_t kHeldBlocks = 1 << 16;
const unsigned char kPoison = 0xDD;

SRWLOCK g_heldLock = SRWLOCK_INIT;
void* g_held[kHeldBlocks];
std::size_t g_heldNext = 0;

void* Allocate(std::size_t size)
{
    unsigned char* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (block == nullptr) return nullptr;
    std::memcpy(block, &size, sizeof size);
    return block + kHeader;
}

void Release(void* pointer)
{
    if (pointer == nullptr) return;
    unsigned char* block = static_cast<unsigned char*>(pointer) - kHeader;
    std::size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    std::memset(pointer, kPoison, size);
    AcquireSRWLockExclusive(&g_heldLock);
    void* oldest = g_held[g_heldNext];
    g_held[g_heldNext] = block;
    g_heldNext = (g_heldNext + 1) % kHeldBlocks;
    ReleaseSRWLockExclusive(&g_heldLock);
    std::free(oldest);
}

}  // namespace

void* operator new(std::size_t size)
{
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }

namespace {

const char kCompany[] = "Vantrel Thread Stress Tests";
const char kMenuName[] = "Office";
const UINT kRoundBoundMs = 10000;

// What the user-interface thread is doing, for the watchdog's report.
std::atomic<const char*> g_stage{"starting"};
std::atomic<int> g_round{0};
std::atomic<DWORD> g_roundStart{0};
std::atomic<DWORD> g_uiThread{0};
std::atomic<DWORD> g_workerThread{0};
std::atomic<HWND> g_popup{nullptr};

// The last things that happened to pop-ups and the tray menu, for the
// watchdog's report: a hang names what closed the round's pop-up. Fixed
// slots written under a lock, so the report needs no allocation.
class Trail {
public:
    void note(const char* what)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        Entry& entry = m_entries[m_next++ % kSize];
        entry.round = g_round.load();
        entry.what = what;
        entry.stage = g_stage.load();
        entry.tick = GetTickCount();
    }
    void print(FILE* out)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        const unsigned first = m_next > kSize ? m_next - kSize : 0;
        for (unsigned i = first; i < m_next; ++i) {
            const Entry& entry = m_entries[i % kSize];
            std::fprintf(out, "  round %d, +%lu ms: %s (user-interface thread: %s)\n", entry.round,
                         static_cast<unsigned long>(entry.tick - m_entries[first % kSize].tick), entry.what,
                         entry.stage);
        }
    }

private:
    static const unsigned kSize = 24;
    struct Entry {
        int round;
        const char* what;
        const char* stage;
        DWORD tick;
    };
    std::mutex m_lock;
    Entry m_entries[kSize] = {};
    unsigned m_next = 0;
};
Trail g_trail;

// Where a thread is: its instruction pointer, read while it is held still.
std::string WhereIs(DWORD threadId)
{
    if (threadId == 0) return "unknown";
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE, threadId);
    if (thread == nullptr) return "not to be opened";
    std::string where = "not to be read";
    if (SuspendThread(thread) != static_cast<DWORD>(-1)) {
        CONTEXT context = {};
        context.ContextFlags = CONTEXT_CONTROL;
        if (GetThreadContext(thread, &context)) {
            char text[64];
#ifdef _WIN64
            std::snprintf(text, sizeof text, "ip %#llx", static_cast<unsigned long long>(context.Rip));
#else
            std::snprintf(text, sizeof text, "ip %#lx", static_cast<unsigned long>(context.Eip));
#endif
            where = text;
        }
        ResumeThread(thread);
    }
    CloseHandle(thread);
    return where;
}

// A fault on any thread ends the run at once with where it happened; left
// to the system, a crash would wait for a debugger instead.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info)
{
    const DWORD thread = GetCurrentThreadId();
    std::fprintf(stderr, "THREAD STRESS CRASHED: exception %#lx at %p on the %s thread, round %d, stage: %s\n",
                 static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                 info->ExceptionRecord->ExceptionAddress,
                 thread == g_workerThread   ? "worker"
                 : thread == g_uiThread     ? "user-interface"
                                            : "other",
                 g_round.load(), g_stage.load());
    std::fflush(stderr);
    ExitProcess(4);
}

// Ends the process with a report when one round outlasts the bound; a hung
// thread could not be joined, so the process is the only thing to end.
class Watchdog {
public:
    Watchdog() : m_stop(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_thread([this] { Watch(); }) {}
    ~Watchdog()
    {
        SetEvent(m_stop);
        m_thread.join();
        CloseHandle(m_stop);
    }

private:
    void Watch()
    {
        while (WaitForSingleObject(m_stop, 100) == WAIT_TIMEOUT) {
            const DWORD start = g_roundStart.load();
            if (start == 0 || GetTickCount() - start <= kRoundBoundMs) continue;
            const CVantrelApp* app = VantrelApp();
            std::fprintf(stderr,
                         "THREAD STRESS HUNG: round %d has run for more than %u ms\n"
                         "  user-interface thread: %s, %s\n  worker thread: %s\n"
                         "  engineReady %d, loggedIn %d, root menu %s, the round's pop-up %s\n",
                         g_round.load(), kRoundBoundMs, g_stage.load(), WhereIs(g_uiThread).c_str(),
                         WhereIs(g_workerThread).c_str(), app->engineReady.load(), app->loggedIn.load(),
                         VisibleRootMenu() != nullptr ? "shown" : "closed", IsWindow(g_popup) ? "open" : "gone");
            std::fprintf(stderr, "  last pop-up and tray menu events:\n");
            g_trail.print(stderr);
            std::fflush(stderr);
            ExitProcess(3);
        }
    }

    HANDLE m_stop;
    std::thread m_thread;
};

// Another program: a window that is right-clicked, opens pop-up menus (of
// the system's menu class) and receives the typed keystrokes, on a thread
// of its own with its own message loop.
class Program {
public:
    static const UINT kOpenPopup = WM_APP + 1;
    static const UINT kClosePopups = WM_APP + 2;

    Program() : m_ready(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_thread([this] { Run(); })
    {
        WaitForSingleObject(m_ready, INFINITE);
    }
    ~Program()
    {
        if (m_window != nullptr) PostMessageA(m_window, WM_CLOSE, 0, 0);
        m_thread.join();
        CloseHandle(m_ready);
    }

    HWND window() const { return m_window; }
    // Opens a pop-up menu at x, y; its window.
    HWND openPopup(int x, int y)
    {
        return reinterpret_cast<HWND>(SendMessageA(m_window, kOpenPopup, static_cast<WPARAM>(x), y));
    }
    void closePopups() { SendMessageA(m_window, kClosePopups, 0, 0); }
    // What was typed since the last call: characters, a tab as '\t'.
    std::string takeTyped()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        std::string typed;
        typed.swap(m_typed);
        return typed;
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        Program* self = reinterpret_cast<Program*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        switch (message) {
        case WM_CHAR:
            self->Typed(static_cast<char>(wParam));
            return 0;
        case WM_KEYDOWN:
            self->Typed(wParam == VK_TAB ? '\t' : '?');
            return 0;
        case kOpenPopup: {
            HWND popup = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "#32768", "", WS_POPUP | WS_VISIBLE,
                                         static_cast<int>(wParam), static_cast<int>(lParam), 160, 120, nullptr,
                                         nullptr, nullptr, nullptr);
            if (popup != nullptr) {
                self->m_popups.push_back(popup);
                // Watched, so that a hang can say what closed it.
                const LONG_PTR previous =
                    SetWindowLongPtrA(popup, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchedPopupProc));
                if (previous != reinterpret_cast<LONG_PTR>(&WatchedPopupProc))
                    s_popupProc = reinterpret_cast<WNDPROC>(previous);
            }
            return reinterpret_cast<LRESULT>(popup);
        }
        case kClosePopups:
            for (HWND popup : self->m_popups)
                if (IsWindow(popup)) DestroyWindow(popup);
            self->m_popups.clear();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
        }
    }
    static LRESULT CALLBACK WatchedPopupProc(HWND popup, UINT message, WPARAM wParam, LPARAM lParam)
    {
        const bool roundsOwn = popup == g_popup.load();
        if (message == WM_CLOSE)
            g_trail.note(roundsOwn ? "the round's pop-up asked to close" : "an older pop-up asked to close");
        else if (message == WM_KEYDOWN && wParam == VK_ESCAPE)
            g_trail.note(roundsOwn ? "the round's pop-up sent Escape" : "an older pop-up sent Escape");
        else if (message == WM_DESTROY)
            g_trail.note(roundsOwn ? "the round's pop-up destroyed" : "an older pop-up destroyed");
        return CallWindowProcA(s_popupProc, popup, message, wParam, lParam);
    }
    void Typed(char c)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_typed += c;
    }
    void Run()
    {
        WNDCLASSA type = {};
        type.lpfnWndProc = &Proc;
        type.hInstance = GetModuleHandleA(nullptr);
        type.lpszClassName = "VantrelStressProgram";
        RegisterClassA(&type);
        m_window = CreateWindowExA(0, type.lpszClassName, "right-clicked", WS_POPUP | WS_VISIBLE, 100, 100, 400,
                                   300, nullptr, nullptr, type.hInstance, nullptr);
        if (m_window != nullptr) SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetEvent(m_ready);
        if (m_window == nullptr) return;
        // Not translated: the typed tab arrives once, as its key press.
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        for (HWND popup : m_popups)
            if (IsWindow(popup)) DestroyWindow(popup);
    }

    static WNDPROC s_popupProc;
    HANDLE m_ready;
    HWND m_window = nullptr;
    std::vector<HWND> m_popups;
    std::mutex m_lock;
    std::string m_typed;
    std::thread m_thread;
};

WNDPROC Program::s_popupProc = &DefWindowProcA;

// The program's frame as shipped, watched: it notes the worker's thread,
// hook events taken (for the round's barrier) and tray menus done, and keeps
// the login dialog and message boxes from opening (each would be a fault
// here, and would wait for a user).
class StressFrame : public CMainFrame {
public:
    bool dequeueHookEvent(HookMouseEvent& event) override
    {
        g_workerThread = GetCurrentThreadId();
        const bool taken = CMainFrame::dequeueHookEvent(event);
        if (taken && event.message == WM_MOUSEWHEEL && event.x == kMarkerX) lastMarker = event.y;
        if (taken && event.message == WM_LBUTTONDOWN && clickArmed.exchange(false)) atClickTaken();
        return taken;
    }

    static const int kMarkerX = -30000;
    std::atomic<int> lastMarker{0};
    // Run once when the worker marks the engine busy for a chosen item: the
    // item is chosen and its run not yet queued.
    std::function<void()> atChoice;
    // Run once on the worker as it takes the click, before routing it; set
    // before arming.
    std::function<void()> atClickTaken;
    std::atomic<bool> clickArmed{false};
    int trayMenus = 0;
    std::vector<std::string> faults;
    // Requests to come forward still to be refused, and those refused.
    int refuseForeground = 0;
    int refused = 0;
    // Requests the system itself refused.
    int keptBack = 0;
    // The engine was made ready while a tray menu's next try waited.
    bool readyWithTrayMenuWaiting = false;

protected:
    bool TakeForeground() override
    {
        if (refuseForeground == 0) {
            const bool taken = CMainFrame::TakeForeground();
            if (!taken) ++keptBack;
            return taken;
        }
        --refuseForeground;
        ++refused;
        return false;
    }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == FM_SHOW_NOTICE || message == FM_SHOW_MESSAGE) {
            faults.push_back("message box " + std::to_string(wParam));
            return 1;
        }
        const char* const stage = g_stage;
        if (message == FM_TRAY_MENU) {
            g_trail.note("the frame's tray menu handler entered");
            g_stage = "in the frame's tray menu handler";
        }
        const LRESULT result = CMainFrame::OnMessage(message, wParam, lParam);
        if (message == FM_TRAY_MENU) {
            ++trayMenus;
            g_stage = stage;
        }
        MSG waiting;
        if (message == FM_SET_BUSY && wParam == 0 && VantrelApp()->engineReady.load() != 0 &&
            PeekMessageA(&waiting, m_hWnd, FM_TRAY_MENU, FM_TRAY_MENU, PM_NOREMOVE))
            readyWithTrayMenuWaiting = true;
        if (message == FM_SET_BUSY && wParam != 0 && InSendMessage() && atChoice) {
            const std::function<void()> action = std::move(atChoice);
            atChoice = nullptr;
            action();
        }
        return result;
    }
    bool OnCommand(UINT id, UINT code, HWND control) override
    {
        if (id == ID_LOGIN) {
            faults.push_back("login dialog asked for");
            return true;
        }
        return CMainFrame::OnCommand(id, code, control);
    }
};

// Ends the tray menu shortly after it opens, as a click elsewhere would.
void CALLBACK EndTrayMenu(HWND, UINT, UINT_PTR, DWORD)
{
    EndMenu();
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Handles this thread's messages for about `milliseconds`.
void PumpFor(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        Pump();
        Sleep(1);
    } while (GetTickCount() - start < milliseconds);
}

// Unbounded: the watchdog ends a run that never gets there.
template <typename Condition>
void PumpUntilHeld(Condition done)
{
    while (!done()) {
        Pump();
        Sleep(1);
    }
}

std::string TempFile(const char* name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "vantrel-threadstress-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

// The menu body of version `version`: two items that type "v<version>a"
// and "v<version>b", each followed by a tab, into the right-clicked window.
std::string MenuBody(int version)
{
    CMenuDocument doc;
    CMenuList* root = doc.newMenu(nullptr);
    root->isRoot = 1;
    for (const char* which : {"a", "b"}) {
        CMenuItem* item = root->appendNew(0);
        item->caption = std::string("Item ") + which;
        item->keystrokes = "v" + std::to_string(version) + which + "\t";
    }
    const std::string body = root->toBody(ItemKey());
    doc.deleteMenu(root);
    return body;
}

bool CreateMenuFile(const std::string& path)
{
    CAccountFile file;
    if (!file.create(path, kMenuName)) return false;
    file.currentRecord()->setBody(MenuBody(1));
    file.currentRecord()->users = {CUserEntry("writer", "w1", "rw")};
    const bool saved = file.save() != 0;
    file.close();
    return saved;
}

// What the designer's save does to the file: the record's new body, written
// in one update.
bool SaveMenuVersion(const std::string& path, int version)
{
    CAccountFile file;
    if (!file.loadForUpdate(path) || !file.findRecord(kMenuName)) return false;
    file.currentRecord()->setBody(MenuBody(version));
    const bool saved = file.save() != 0;
    file.close();
    return saved;
}

int StressRounds()
{
    char text[32] = {};
    if (GetEnvironmentVariableA("VANTREL_STRESS_ROUNDS", text, sizeof text) == 0) return 99;
    const int rounds = std::atoi(text);
    return rounds > 0 ? rounds : 99;
}

double Median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Worst(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

enum class Race { trayMenu, logout, reload };
const char* const kRaceNames[] = {"tray menu", "log-out", "reload after a save"};

class ThreadStress : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        UseEnglishResources(kCompany);
        CVantrelApp* app = VantrelApp();
        HMODULE module = app->resourceLibrary;
        app->appIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
        app->trayMenu = LoadMenuA(module, MAKEINTRESOURCEA(IDR_TRAY_MENU));
        ASSERT_NE(app->trayMenu, nullptr);
        app->trayPopup = GetSubMenu(app->trayMenu, 0);
        // The hook library stand-in, in a folder of its own beside this test.
        char self[MAX_PATH] = {};
        ASSERT_NE(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
        std::string folder = self;
        folder.erase(folder.find_last_of("\\/") + 1);
        ASSERT_TRUE(SetDllDirectoryA((folder + "hookstandin").c_str()));
    }
    static void TearDownTestSuite()
    {
        CVantrelApp* app = VantrelApp();
        if (app->trayMenu != nullptr) DestroyMenu(app->trayMenu);
        app->trayMenu = nullptr;
        app->trayPopup = nullptr;
        RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\") + kCompany).c_str());
        UninitializeTimer();
    }

    // All that the worker was asked before this returns has been handled,
    // and what that made it post to itself: a marker event is taken only by
    // a wake-up posted after the marker before it was taken, so each pair
    // of markers comes behind everything posted before the pair began.
    // Four pairs cover the longest chain: the routed click posts the button
    // to the menu window, which posts the item's activation, which queues
    // the run. A tray menu drops queued events, so a marker that does not
    // come is sent again.
    void Barrier()
    {
        g_stage = "waiting for the worker";
        for (int phase = 0; phase < 8; ++phase) {
            const int marker = ++m_marker;
            DWORD sent = 0;
            while (frame.lastMarker.load() != marker) {
                if (sent == 0 || GetTickCount() - sent > 300) {
                    frame.enqueueHookEvent(Mouse(WM_MOUSEWHEEL, nullptr, StressFrame::kMarkerX, marker));
                    sent = GetTickCount();
                }
                Pump();
                Sleep(1);
            }
        }
        Pump();
    }

    // The program's frame created and logged in to a new menu file, as at
    // start-up; tray menus end soon after they open.
    void Start()
    {
        g_uiThread = GetCurrentThreadId();
        SetUnhandledExceptionFilter(&ReportCrash);
        m_file = TempFile("menus.vn");
        ASSERT_TRUE(CreateMenuFile(m_file));
        CVantrelApp* app = VantrelApp();
        app->m_mainWnd = &frame;
        app->mainFrame = &frame;
        g_roundStart = GetTickCount();
        // A tray menu waits in its own loop, where this timer ends it soon.
        m_trayTimer = SetTimer(nullptr, 0, 5, &EndTrayMenu);
        ASSERT_NE(m_trayTimer, 0u);
        g_stage = "creating the frame";
        ASSERT_TRUE(frame.Create());
        LogIn();
    }

    // The program closes as from the tray menu; the exit code its loop ends with.
    int Close()
    {
        g_stage = "closing";
        g_roundStart = GetTickCount();
        PostMessageA(frame.m_hWnd, WM_COMMAND, MAKEWPARAM(ID_APP_EXIT, 0), 0);
        MSG msg;
        int exitCode = -1;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (msg.message == WM_QUIT) exitCode = static_cast<int>(msg.wParam);
        g_roundStart = 0;
        KillTimer(nullptr, m_trayTimer);
        EXPECT_EQ(frame.m_hWnd, nullptr);
        CVantrelApp* app = VantrelApp();
        app->m_mainWnd = nullptr;
        app->mainFrame = nullptr;
        DeleteFileA(m_file.c_str());
        return exitCode;
    }

    // Right-clicks the program at x, y, which opens its pop-up and the root
    // menu beside it; the root and the centre of its item `item`.
    HWND OpenMenus(Program& program, int x, int y, int item, POINT& itemPoint)
    {
        g_stage = "opening the menus";
        frame.enqueueHookEvent(Mouse(WM_RBUTTONDOWN, program.window(), x, y));
        HWND popup = program.openPopup(x, y);
        EXPECT_NE(popup, nullptr);
        g_popup = popup;
        g_trail.note("the round's pop-up opened");
        frame.enqueueHookEvent(Mouse(WM_MOUSEMOVE, popup, x + 5, y + 5));
        HWND root = nullptr;
        PumpUntilHeld([&] { return (root = VisibleRootMenu()) != nullptr; });
        // The root's items are of one height.
        RECT rect = {};
        EXPECT_TRUE(GetWindowRect(root, &rect));
        const int itemHeight = (rect.bottom - rect.top - 2 * kMenuFrame) / 2;
        itemPoint = POINT{(rect.left + rect.right) / 2, rect.top + kMenuFrame + itemHeight * item + itemHeight / 2};
        return root;
    }

    void LogIn()
    {
        g_stage = "logging in";
        CVantrelApp* app = VantrelApp();
        app->loginFile = m_file;
        app->loginMenuName = kMenuName;
        app->loginUser = "writer";
        app->loginPassword = "w1";
        app->loginKey.clear();
        frame.requestLogin();
        Barrier();
        ASSERT_EQ(app->loggedIn.load(), 1);
        ASSERT_EQ(app->engineReady.load(), 1);
    }

    // What the race needs done on this thread before its request.
    void Prepare(Race race)
    {
        if (race != Race::reload) return;
        g_stage = "saving";
        ASSERT_TRUE(SaveMenuVersion(m_file, m_version + 1));
        m_reloaded = true;
    }
    void Act(Race race, bool fromIcon)
    {
        Prepare(race);
        Request(race, fromIcon);
    }
    // The race's request, on any thread; from the icon only on this one.
    void Request(Race race, bool fromIcon)
    {
        switch (race) {
        case Race::trayMenu:
            g_stage = "tray menu opening";
            // The icon refuses while a chosen item keeps the engine busy, so
            // half the rounds take the step it posts once it accepted a
            // click: the tray menu opens as the item is chosen.
            if (fromIcon)
                SendMessageA(frame.m_hWnd, FM_TRAY_NOTIFY, IDR_TRAY_MENU, WM_RBUTTONUP);
            else
                PostMessageA(frame.m_hWnd, FM_TRAY_MENU, MAKEWPARAM(300, 300), 0);
            break;
        case Race::logout:
            g_stage = "logging out";
            frame.requestLogout();
            break;
        case Race::reload:
            g_stage = "reloading";
            frame.requestLogin();
            break;
        }
    }

    StressFrame frame;
    UINT_PTR m_trayTimer = 0;
    std::string m_file;
    int m_marker = 0;
    int m_version = 1;
    bool m_reloaded = false;
};

TEST_F(ThreadStress, TrayMenuLogoutAndReloadRaceAChosenItemWithoutHangOrStaleRun)
{
    Watchdog watchdog;
    Program program;
    ASSERT_NE(program.window(), nullptr);
    Start();
    CVantrelApp* app = VantrelApp();

    const int rounds = StressRounds();
    std::mt19937 random(20261210u);
    std::vector<double> times[3];
    int runs[3] = {0, 0, 0};
    int chosen[3] = {0, 0, 0};
    int between = 0;
    int droppedBetween = 0;
    const DWORD allStart = GetTickCount();
    for (int round = 1; round <= rounds && !HasFatalFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        g_round = round;
        LARGE_INTEGER start, end, frequency;
        QueryPerformanceCounter(&start);
        g_roundStart = GetTickCount();
        const Race race = static_cast<Race>(round % 3);
        const int item = static_cast<int>(random() % 2);
        // A quarter of the rounds act as the worker takes the click, a
        // quarter as the item is chosen (between the choice and its run);
        // the others some milliseconds after the click (before it, below 0),
        // often within a millisecond or two of it.
        const int moment = static_cast<int>(random() % 4);
        const bool atClick = moment == 0;
        const bool atChoice = moment == 1;
        const int delay = static_cast<int>(random() % 2 != 0 ? random() % 70 - 10 : random() % 6 - 1);
        const bool fromIcon = round % 2 == 0;
        m_reloaded = false;

        // The pop-up opens at once: a worker still busy with the round
        // before routes the right press only once its pop-up shows.
        const int x = 150 + static_cast<int>(random() % 200);
        const int y = 300 + static_cast<int>(random() % 100);
        POINT itemPoint = {};
        HWND root = OpenMenus(program, x, y, item, itemPoint);
        ASSERT_FALSE(HasFailure());
        const int itemX = itemPoint.x;
        const int itemY = itemPoint.y;
        if (atClick) {
            Prepare(race);
            frame.atClickTaken = [this, race] { Request(race, false); };
            frame.clickArmed = true;
        } else if (atChoice) {
            frame.atChoice = [this, race] { Act(race, false); };
        } else if (delay < 0) {
            Act(race, fromIcon);
            PumpFor(static_cast<DWORD>(-delay));
        }
        g_stage = "choosing an item";
        frame.enqueueHookEvent(Mouse(WM_MOUSEMOVE, root, itemX, itemY));
        frame.enqueueHookEvent(Mouse(WM_LBUTTONDOWN, root, itemX, itemY));
        ++chosen[static_cast<int>(race)];
        if (!atClick && !atChoice && delay >= 0) {
            PumpFor(static_cast<DWORD>(delay));
            Act(race, fromIcon);
        }
        Barrier();
        // No item was chosen after all (the menus had closed): the race
        // runs anyway, so that every round has it.
        const bool actedBetween = (atChoice && !frame.atChoice) || (atClick && !frame.clickArmed);
        if (frame.atChoice) {
            frame.atChoice = nullptr;
            Act(race, fromIcon);
            Barrier();
        }
        if (frame.clickArmed.exchange(false)) {
            Request(race, fromIcon);
            Barrier();
        }
        // A run still typing when the tray menu or a reload was handled has
        // posted its end by now; so has the tray menu.
        g_stage = "settling";
        PumpUntilHeld([&] { return app->engineReady.load() == 1; });
        program.closePopups();

        // At most one run, of the item chosen, from the tree it was chosen
        // in: a reload or log-out in between drops it.
        const std::string typed = program.takeTyped();
        const std::string expected = "v" + std::to_string(m_version) + (item == 0 ? "a" : "b") + "\t";
        if (!typed.empty()) {
            EXPECT_EQ(typed, expected) << kRaceNames[static_cast<int>(race)];
            ++runs[static_cast<int>(race)];
        }
        // A log-out or reload queued as the click is taken, or between the
        // choice and its run, frees the tree the item was chosen in: the run
        // is dropped, unless it was taken before the request (the worker
        // handles every queued run at once when an earlier wake-up, a
        // timer's, comes first), which the check above allows only from the
        // tree it was chosen in.
        if (actedBetween && race != Race::trayMenu) {
            ++between;
            if (typed.empty()) ++droppedBetween;
        }
        EXPECT_TRUE(frame.faults.empty()) << frame.faults.front();
        frame.faults.clear();
        EXPECT_FALSE(frame.readyWithTrayMenuWaiting) << kRaceNames[static_cast<int>(race)];
        frame.readyWithTrayMenuWaiting = false;
        if (m_reloaded) ++m_version;
        if (app->loggedIn.load() == 0) LogIn();
        ASSERT_EQ(app->loggedIn.load(), 1);

        QueryPerformanceCounter(&end);
        QueryPerformanceFrequency(&frequency);
        times[static_cast<int>(race)].push_back(static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                                                static_cast<double>(frequency.QuadPart));
    }
    const DWORD allMs = GetTickCount() - allStart;

    // The program closes as from the tray menu, and its loop ends with 0.
    EXPECT_EQ(Close(), 0);

    std::vector<double> all;
    for (const auto& t : times) all.insert(all.end(), t.begin(), t.end());
    std::printf("%d rounds in %lu ms; tray menu openings handled %d, kept from coming forward %d; log-outs and "
                "reloads between a click and its run %d, runs they dropped %d\n",
                rounds, static_cast<unsigned long>(allMs), frame.trayMenus, frame.keptBack, between, droppedBetween);
    for (int i = 0; i < 3; ++i) {
        std::printf("  %-20s %4d rounds, %4d items run, %4d dropped; round median %.1f ms, worst %.1f ms\n",
                    kRaceNames[i], static_cast<int>(times[i].size()), runs[i], chosen[i] - runs[i],
                    Median(times[i]), Worst(times[i]));
    }
    std::printf("BENCH|Threads|stress rounds (tray menu, log-out, reload racing a chosen item)|%d|%d|count|-\n",
                rounds, rounds);
    std::printf("BENCH|Threads|one stress round, all three races|%.3g|%.3g|ms|worst <= %u ms\n", Median(all),
                Worst(all), kRoundBoundMs);
    for (int i = 0; i < 3; ++i)
        std::printf("BENCH|Threads|one stress round, %s racing a chosen item|%.3g|%.3g|ms|worst <= %u ms\n",
                    kRaceNames[i], Median(times[i]), Worst(times[i]), kRoundBoundMs);
    // Each race let some chosen items run: the rounds did reach the worker.
    if (rounds >= 30) {
        for (int i = 0; i < 3; ++i) EXPECT_GT(runs[i], 0) << kRaceNames[i];
        EXPECT_GT(droppedBetween, 0);
    }
}

// The tray menu asked for as an item is chosen, while the system keeps the
// program from coming forward for some tries: the item's run ends first,
// yet the engine stays busy until the tray menu has closed. Were it ready,
// the next right click's menus would open while the tray menu's later tries
// still closed every pop-up and dropped the clicks.
TEST_F(ThreadStress, TrayMenuWaitingToComeForwardKeepsTheEngineBusyPastTheChosenItemsRun)
{
    Watchdog watchdog;
    Program program;
    ASSERT_NE(program.window(), nullptr);
    Start();
    CVantrelApp* app = VantrelApp();
    g_round = 1;
    g_roundStart = GetTickCount();
    POINT item = {};
    HWND root = OpenMenus(program, 200, 320, 1, item);
    ASSERT_FALSE(HasFailure());

    frame.refuseForeground = 6;
    frame.atChoice = [this] { PostMessageA(frame.m_hWnd, FM_TRAY_MENU, MAKEWPARAM(300, 300), 0); };
    g_stage = "choosing an item";
    frame.enqueueHookEvent(Mouse(WM_MOUSEMOVE, root, item.x, item.y));
    frame.enqueueHookEvent(Mouse(WM_LBUTTONDOWN, root, item.x, item.y));
    g_stage = "waiting for the tray menu";
    PumpUntilHeld([&] { return frame.refuseForeground == 0 && app->engineReady.load() == 1; });
    // The tray menu's tries began after the choice; they restart with none.
    EXPECT_EQ(frame.trayMenus, 7);
    Barrier();

    EXPECT_EQ(frame.refused, 6);
    EXPECT_FALSE(frame.readyWithTrayMenuWaiting) << "the item's end made the engine ready while the tray menu waited";
    // The tray menu closes the menus, and forgets the clicked window, before
    // or after the run takes it: the text is typed once or not at all.
    const std::string typed = program.takeTyped();
    EXPECT_TRUE(typed.empty() || typed == "v1b\t") << typed;
    EXPECT_TRUE(frame.faults.empty()) << frame.faults.front();
    program.closePopups();
    EXPECT_EQ(Close(), 0);
}

}  // namespace
