#include "app/appmessages.h"
#include "app/hookqueue.h"
#include "app/processthread.h"
#include "app/tests/workertestkit.h"
#include "app/vantrelapp.h"
#include "accounts/accountfile.h"
#include "framework/window.h"
#include "ahcommon/threadtimer.h"
#include "menudoc/menudocument.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <atomic>

namespace {

// Stands for the main frame as the worker sees it.
class Owner : public ProcessThreadOwner {
public:
    CHookEventQueue queue;
    std::atomic<DWORD> startedOn{0};
    void startHookReports() override { startedOn = GetCurrentThreadId(); }
    bool dequeueHookEvent(HookMouseEvent& event) override { return queue.dequeue(event); }
    HWND frameWindow() const override { return frame; }
    HWND frame = nullptr;
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

TEST(ProcessThread, AWorkerDestroyedWhileRunningStopsBeforeItsMenusAndTreeGo)
{
    InitializeTimer();
    Owner owner;
    auto* worker = new CProcessThread;
    worker->setOwner(&owner);
    ASSERT_EQ(worker->Open(), 1);
    worker->WaitRunning();
    ASSERT_EQ(worker->GetRunning(), 1);
    const DWORD workerThread = worker->threadId();
    std::atomic<bool> destroyed{false};
    std::thread destroyer([&] {
        delete worker;
        destroyed = true;
    });
    EXPECT_TRUE(WaitUntil([&] { return destroyed.load(); })) << "the destructor waited for a worker nobody had woken";
    // Only so that a failing run ends: the worker is woken by hand.
    if (!destroyed) PostThreadMessageA(workerThread, WM_QUIT, 0, 0);
    destroyer.join();
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

// A click on an item reached the worker just before the program closed: the
// worker marks the engine busy with a message sent to the frame, while the
// frame is stopping the worker.
class ClickingWorker : public CProcessThread {
public:
    static const UINT kClickSoon = 0x9001;

protected:
    UINT OnEventMessage(_tagEMSG* msg) override
    {
        if (msg->message == kClickSoon) {
            Sleep(100);
            itemChosen(nullptr);
            return 0;
        }
        return CProcessThread::OnEventMessage(msg);
    }
};

// Items run on the worker: the shell's automation object and the handlers
// ShellExecute starts need COM there, in a single-threaded apartment.
class ApartmentWorker : public CProcessThread {
public:
    static const UINT kAskApartment = 0x9002;
    std::atomic<int> apartment{-1};

protected:
    UINT OnEventMessage(_tagEMSG* msg) override
    {
        if (msg->message == kAskApartment) {
            APTTYPE type = APTTYPE_CURRENT;
            APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
            apartment = SUCCEEDED(CoGetApartmentType(&type, &qualifier)) ? static_cast<int>(type) : -2;
            return 0;
        }
        return CProcessThread::OnEventMessage(msg);
    }
};

TEST(ProcessThread, RunsItemsInASingleThreadedApartment)
{
    Owner owner;
    ApartmentWorker worker;
    worker.setOwner(&owner);
    ASSERT_EQ(worker.Open(), 1);
    worker.WaitRunning();
    ASSERT_EQ(worker.GetRunning(), 1);
    worker.PostEventMessage(ApartmentWorker::kAskApartment, 0, 0);
    for (int i = 0; i < 500 && worker.apartment == -1; ++i) Sleep(10);
    // The first single-threaded apartment of a process is its main one.
    const int apartment = worker.apartment.load();
    EXPECT_TRUE(apartment == APTTYPE_STA || apartment == APTTYPE_MAINSTA) << apartment;
    worker.stop();
}

TEST(ProcessThread, StoppingAnswersAClickThatWasOnItsWay)
{
    Owner owner;
    BusyFrame frame;
    const RECT none = {0, 0, 0, 0};
    ASSERT_TRUE(frame.CreateEx(0, CWnd::RegisterWndClass(0), "BusyFrame", WS_POPUP, none, nullptr, 0));
    ClickingWorker worker;
    worker.setOwner(&owner);
    ASSERT_EQ(worker.Open(), 1);
    worker.WaitRunning();
    ASSERT_EQ(worker.GetRunning(), 1);

    // A plain join would wait for ever: end the process instead of hanging.
    HANDLE stopped = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread watchdog([stopped] {
        if (WaitForSingleObject(stopped, 10000) != WAIT_OBJECT_0) {
            std::fprintf(stderr, "stopping the worker hangs\n");
            std::fflush(stderr);
            ExitProcess(3);
        }
    });
    owner.frame = frame.m_hWnd;
    worker.PostEventMessage(ClickingWorker::kClickSoon, 0, 0);
    Sleep(20);
    worker.stop();
    SetEvent(stopped);
    watchdog.join();
    CloseHandle(stopped);
    EXPECT_EQ(1, frame.busy);
    frame.DestroyWindow();
}

}  // namespace

namespace {

// Windows of the test stand for the program right-clicked and its pop-up
// menu (a window of the system's menu class), so that the worker routes
// real hook reports against real windows.
TEST(ProcessThread, RightClickShowsTheRootAgainstThePopupAndALeftPressElsewhereClosesIt)
{
    Owner owner;
    CProcessThread worker;
    worker.setOwner(&owner);
    ASSERT_EQ(worker.Open(), 1);
    worker.WaitRunning();
    ASSERT_EQ(worker.GetRunning(), 1);
    owner.queue.setWakeThread(worker.threadId());

    HWND program = CreateWindowExA(0, "STATIC", "right-clicked", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr,
                                   nullptr, nullptr, nullptr);
    ASSERT_NE(program, nullptr);
    owner.queue.enqueue(Mouse(WM_RBUTTONDOWN, program, 200, 150));
    ASSERT_TRUE(WaitForEvents(worker, 1));
    EXPECT_EQ(VisibleRootMenu(), nullptr) << "no pop-up yet";

    HWND popup = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "#32768", "", WS_POPUP | WS_VISIBLE, 200, 150, 160,
                                 120, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(popup, nullptr);
    owner.queue.enqueue(Mouse(WM_MOUSEMOVE, popup, 210, 160));
    ASSERT_TRUE(PumpUntil([] { return VisibleRootMenu() != nullptr; }));
    RECT menu, popupRect;
    ASSERT_TRUE(GetWindowRect(VisibleRootMenu(), &menu));
    ASSERT_TRUE(GetWindowRect(popup, &popupRect));
    EXPECT_EQ(menu.left, popupRect.left);
    EXPECT_EQ(menu.right - menu.left, popupRect.right - popupRect.left);
    EXPECT_TRUE(menu.bottom == popupRect.top || menu.top == popupRect.bottom);

    // A left press on the pop-up itself leaves the menus alone; one
    // elsewhere closes them.
    const unsigned taken = worker.eventsTaken();
    owner.queue.enqueue(Mouse(WM_LBUTTONDOWN, popup, 210, 160));
    ASSERT_TRUE(WaitForEvents(worker, taken + 1));
    EXPECT_NE(VisibleRootMenu(), nullptr);
    owner.queue.enqueue(Mouse(WM_LBUTTONDOWN, program, 120, 280));
    EXPECT_TRUE(PumpUntil([] { return VisibleRootMenu() == nullptr; }));

    worker.Close();
    DestroyWindow(popup);
    DestroyWindow(program);
}

}  // namespace

namespace {

// A program of the test opens a pop-up menu from the keyboard: the worker
// hears that a window of the menu class was made, and shows the root as soon
// as the pop-up shows, with no mouse report at all.
TEST(ProcessThread, APopupMenuThatShowsOpensTheRootWithoutAMouseReport)
{
    Owner owner;
    CProcessThread worker;
    worker.setOwner(&owner);
    ASSERT_EQ(worker.Open(), 1);
    worker.WaitRunning();
    ASSERT_EQ(worker.GetRunning(), 1);
    owner.queue.setWakeThread(worker.threadId());

    HWND program = CreateWindowExA(0, "EDIT", "", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(program, nullptr);
    SetForegroundWindow(program);
    SetFocus(program);

    HWND popup = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "#32768", "", WS_POPUP, 200, 500, 160, 120, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(PostThreadMessageA(worker.threadId(), TM_WINDOW_CREATED, 0, reinterpret_cast<LPARAM>(popup)));
    Sleep(50);
    EXPECT_EQ(VisibleRootMenu(), nullptr) << "the pop-up is not on screen yet";
    ShowWindow(popup, SW_SHOWNOACTIVATE);
    ASSERT_TRUE(PumpUntil([] { return VisibleRootMenu() != nullptr; }));
    EXPECT_EQ(worker.eventsTaken(), 0u);
    EXPECT_EQ(worker.popupsStarted(), 1u);
    // Placed as for a click at the pop-up's top: above it, where there is room.
    RECT menu, popupRect;
    ASSERT_TRUE(GetWindowRect(VisibleRootMenu(), &menu));
    ASSERT_TRUE(GetWindowRect(popup, &popupRect));
    EXPECT_EQ(menu.left, popupRect.left);
    EXPECT_EQ(menu.bottom, popupRect.top);

    // Announced by the system as well: nothing changes.
    ASSERT_TRUE(PostThreadMessageA(worker.threadId(), TM_POPUP_STARTED, 0, reinterpret_cast<LPARAM>(popup)));
    ASSERT_TRUE(WaitUntil([&] { return worker.popupsStarted() == 2u; }));
    RECT again;
    ASSERT_TRUE(GetWindowRect(VisibleRootMenu(), &again));
    EXPECT_TRUE(EqualRect(&menu, &again));

    DestroyWindow(popup);
    worker.closeMenusAndWait();
    ASSERT_EQ(VisibleRootMenu(), nullptr);

    // A pop-up menu window that goes before it ever shows opens nothing.
    popup = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "#32768", "", WS_POPUP, 200, 500, 160, 120, nullptr,
                            nullptr, nullptr, nullptr);
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(PostThreadMessageA(worker.threadId(), TM_WINDOW_CREATED, 0, reinterpret_cast<LPARAM>(popup)));
    Sleep(20);
    DestroyWindow(popup);
    ASSERT_TRUE(PostThreadMessageA(worker.threadId(), TM_POPUP_STARTED, 0, reinterpret_cast<LPARAM>(popup)));
    // Once the worker has routed that announcement, the menus are still closed.
    ASSERT_TRUE(WaitUntil([&] { return worker.popupsStarted() == 3u; }));
    EXPECT_EQ(VisibleRootMenu(), nullptr);

    worker.Close();
    DestroyWindow(program);
}

}  // namespace

namespace {

// Opens nothing: records what the worker would have opened.
class RecordingLauncher : public CItemLauncher {
public:
    std::vector<std::string> opened()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_opened;
    }

protected:
    INT_PTR shellExecute(const std::string& file, const char*, int) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_opened.push_back(file);
        return 33;
    }

private:
    std::mutex m_lock;
    std::vector<std::string> m_opened;
};

class LaunchRecordingWorker : public CProcessThread {
public:
    RecordingLauncher recorder;

protected:
    CItemLauncher& launcher() override { return recorder; }
};

// The frame as the worker sees it: records the busy messages, and can hold
// the worker, outside its event messages, while it takes hook events.
class HoldingFrame : public CWnd, public ProcessThreadOwner {
public:
    HoldingFrame()
        : held(CreateEventA(nullptr, FALSE, FALSE, nullptr)), release(CreateEventA(nullptr, FALSE, FALSE, nullptr))
    {
    }
    ~HoldingFrame() override
    {
        CloseHandle(held);
        CloseHandle(release);
    }

    void startHookReports() override {}
    bool dequeueHookEvent(HookMouseEvent&) override
    {
        if (holdNext.exchange(false)) {
            SetEvent(held);
            WaitForSingleObject(release, 10000);
        }
        return false;
    }
    HWND frameWindow() const override { return m_hWnd; }

    HANDLE held;
    HANDLE release;
    std::atomic<bool> holdNext{false};
    std::vector<WPARAM> busy;  // FM_SET_BUSY as received, on the test's thread

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == FM_SET_BUSY) {
            busy.push_back(wParam);
            return 1;
        }
        return CWnd::OnMessage(message, wParam, lParam);
    }
};

// A menu "Office" for the user writer/w1 whose two items open "first.exe" and
// "second.exe".
void WriteOfficeMenu(const std::string& path)
{
    CMenuDocument doc;
    CMenuList* root = doc.newMenu(nullptr);
    root->isRoot = 1;
    root->appendNew(0)->target = "first.exe";
    root->appendNew(0)->target = "second.exe";
    const std::string body = root->toBody(ItemKey());
    doc.deleteMenu(root);
    CAccountFile file;
    ASSERT_TRUE(file.create(path, "Office"));
    file.deleteRecord("Office");
    file.addRecord("Office", body);
    file.currentRecord()->users = {CUserEntry("writer", "w1", "rw")};
    ASSERT_TRUE(file.save());
    file.close();
}

class QueuedRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folder[MAX_PATH] = {};
        ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
        path = std::string(folder) + "vantrel-queued-run-" + std::to_string(GetCurrentProcessId()) + ".vn";
        WriteOfficeMenu(path);
        const RECT none = {0, 0, 0, 0};
        ASSERT_TRUE(frame.CreateEx(0, CWnd::RegisterWndClass(0), "HoldingFrame", WS_POPUP, none, nullptr, 0));
        worker.setOwner(&frame);
        ASSERT_EQ(worker.Open(), 1);
        worker.WaitRunning();
        ASSERT_EQ(worker.GetRunning(), 1);
    }
    void TearDown() override
    {
        worker.stop();
        frame.DestroyWindow();
        DeleteFileA(path.c_str());
        CVantrelApp* app = VantrelApp();
        app->loggedIn = 0;
        app->engineReady = 1;
        app->decryptFailed = 0;
        app->loginFile.clear();
        app->loginMenuName.clear();
        app->loginUser.clear();
        app->loginPassword.clear();
        app->loginKey.clear();
    }

    // Posts a login with these values, or a logout, as the frame's requests do.
    void Request(UINT message, const char* password = "w1")
    {
        CVantrelApp* app = VantrelApp();
        app->loginFile = path;
        app->loginMenuName = "Office";
        app->loginUser = "writer";
        app->loginPassword = password;
        app->loginKey = std::string(8, '\xAB');
        app->engineReady = 0;
        ASSERT_TRUE(PostThreadMessageA(worker.threadId(), message, 0, 0));
    }
    void LogIn()
    {
        Request(TM_LOGIN);
        ASSERT_TRUE(PumpUntil([] { return VantrelApp()->engineReady == 1; }));
        ASSERT_EQ(VantrelApp()->loggedIn, 1);
    }
    // With the worker held, chooses the item at `index` of the tree it shows,
    // as a click on it does; the run waits in the worker's queue behind
    // `before` (a login or logout request) when one is given.
    void Choose(int index, UINT before = 0, const char* password = "w1")
    {
        frame.holdNext = true;
        ASSERT_TRUE(PostThreadMessageA(worker.threadId(), TM_HOOK_EVENTS, 0, 0));
        ASSERT_EQ(WaitForSingleObject(frame.held, 10000), WAIT_OBJECT_0);
        if (before != 0) Request(before, password);
        frame.busy.clear();
        worker.itemChosen(worker.document().rootMenu->itemAt(index));
        SetEvent(frame.release);
        // The engine is ready again once the run is over or dropped.
        ASSERT_TRUE(PumpUntil([&] { return frame.busy.size() == 2 && VantrelApp()->engineReady == 1; }));
        EXPECT_EQ(frame.busy, (std::vector<WPARAM>{1, 0}));
    }

    std::string path;
    HoldingFrame frame;
    LaunchRecordingWorker worker;
};

TEST_F(QueuedRun, AChosenItemRuns)
{
    LogIn();
    Choose(1);
    EXPECT_EQ(worker.recorder.opened(), (std::vector<std::string>{"second.exe"}));
}

// The menus' tree is freed by what is handled between the choice and its
// run: the item of that tree must not run, and the engine is ready again.
TEST_F(QueuedRun, ALoginLogoutOrReloadBeforeTheRunDropsIt)
{
    const struct {
        const char* name;
        UINT request;
        const char* password;
        int loggedInAfter;
    } cases[] = {
        {"reload of the same menu", TM_LOGIN, "w1", 1},
        {"logout", TM_LOGOUT, "w1", 0},
        {"login that fails", TM_LOGIN, "wrong", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LogIn();
        Choose(0, c.request, c.password);
        EXPECT_EQ(VantrelApp()->loggedIn, c.loggedInAfter);
        EXPECT_TRUE(worker.recorder.opened().empty());
    }
    // The tree shown now runs its items.
    LogIn();
    Choose(0);
    EXPECT_EQ(worker.recorder.opened(), (std::vector<std::string>{"first.exe"}));
}

}  // namespace

namespace {

// A long text typed into an edit control whose thread translates its key
// presses, while a third thread keeps asking that control questions (as
// accessibility tools and other programs do): each line break must land
// where the text has it, not behind the characters that follow it.
TEST(ProcessThread, TypesALongTextInOrderWhileAnotherThreadSendsToTheTarget)
{
    std::atomic<HWND> edit{nullptr};
    std::atomic<DWORD> targetThread{0};
    std::thread target([&] {
        HWND window = CreateWindowExA(0, "EDIT", "", WS_POPUP | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0, 0,
                                      400, 300, nullptr, nullptr, nullptr, nullptr);
        MSG msg;
        PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        targetThread = GetCurrentThreadId();
        edit = window;
        while (window != nullptr && GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            // As a program busy between its messages does, it handles the
            // messages sent to it several times before it takes the next
            // posted one.
            for (int i = 0; i < 3; ++i) {
                Sleep(2);
                PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            }
        }
        if (window != nullptr) DestroyWindow(window);
    });
    for (int i = 0; i < 500 && targetThread == 0; ++i) Sleep(10);
    ASSERT_NE(edit.load(), nullptr);

    std::atomic<bool> asking{true};
    std::thread asker([&] {
        while (asking) {
            DWORD_PTR length = 0;
            SendMessageTimeoutA(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 1000, &length);
        }
    });

    std::string text;
    for (int line = 0; line < 25; ++line) {
        char numbered[8];
        std::snprintf(numbered, sizeof numbered, "%02d ", line);
        text += numbered + std::string("abcdefghijklmnopq").substr(line % 5) + "\r\n";
    }
    CProcessThread worker;  // not started: only its typing is used
    TypingPort& port = worker;
    const TypingResult typed = TypeKeystrokes(edit, text, false, port);

    std::string got;
    for (int i = 0; i < 500; ++i) {
        char buffer[4096] = {};
        DWORD_PTR copied = 0;
        SendMessageTimeoutA(edit, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                            1000, &copied);
        got = buffer;
        if (got.size() >= text.size()) break;
        Sleep(10);
    }
    asking = false;
    asker.join();
    PostThreadMessageA(targetThread, WM_QUIT, 0, 0);
    target.join();
    EXPECT_EQ(TypingResult::typed, typed);
    EXPECT_EQ(text, got);
}

}  // namespace
