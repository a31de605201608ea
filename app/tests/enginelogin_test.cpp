// The worker's login and log-out on a real worker thread: what each result
// leaves in the menu tree, the login values and the tray menu, what it tells
// the frame, the start-up login from the saved settings and the idle
// log-out.
#include "app/appmessages.h"
#include "app/tests/enginetestkit.h"
#include "app/hookqueue.h"
#include "app/processthread.h"
#include "app/vantrelapp.h"
#include "accounts/accountfile.h"
#include "ahcommon/ahsystem.h"
#include "ahcommon/threadtimer.h"
#include "designer/logindlg.h"
#include "framework/window.h"
#include "lang/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

const char kCompany[] = "Vantrel Engine Login Tests";
const char kItemKey[] = "k3y";

std::string TempFile(const char* name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "vantrel-engine-login-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

std::vector<UINT> CommandIds(HMENU menu)
{
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        const UINT id = GetMenuItemID(menu, i);
        if (id != 0 && id != static_cast<UINT>(-1)) ids.push_back(id);
    }
    return ids;
}

// The tray menu's commands as the resource has them, less `removed`.
std::vector<UINT> TrayCommandsWithout(const std::set<UINT>& removed)
{
    HMENU menu = LoadMenuA(VantrelApp()->resourceLibrary, MAKEINTRESOURCEA(IDR_TRAY_MENU));
    std::vector<UINT> ids = CommandIds(GetSubMenu(menu, 0));
    DestroyMenu(menu);
    ids.erase(std::remove_if(ids.begin(), ids.end(), [&](UINT id) { return removed.count(id) != 0; }), ids.end());
    return ids;
}

const std::set<UINT> kLoggedOutRemoves = {ID_OPEN_DESIGNER, ID_USERS, ID_CHANGE_PASSWORD, ID_DELETE_MENU};

std::vector<std::string> Captions(const CMenuDocument& document)
{
    std::vector<std::string> captions;
    for (int i = 0; i < document.rootMenu->count(); ++i) captions.push_back(document.rootMenu->itemAt(i)->caption);
    return captions;
}

class EngineLogin : public ::testing::Test {
protected:
    static void SetUpTestSuite() { UseEnglishResources(kCompany); }
    static void TearDownTestSuite() { UninitializeTimer(); }

    void SetUp() override
    {
        file = TempFile("menus.vn");
        WriteOfficeMenuFile(file, kItemKey, "abc");
        CVantrelApp* app = VantrelApp();
        app->loggedIn = 0;
        app->engineReady = 1;
        app->decryptFailed = 0;
        app->autoLogoutMinutes = 0;
        // A tray menu of the test's own: a login that fails leaves it alone.
        app->trayMenu = nullptr;
        app->trayPopup = startTray = CreatePopupMenu();
        const RECT none = {0, 0, 0, 0};
        ASSERT_TRUE(frame.CreateEx(0, CWnd::RegisterWndClass(0), "RecordingFrame", WS_POPUP, none, nullptr, 0));
    }
    void Start(UINT minuteMilliseconds = 60000)
    {
        Stop();
        worker.reset(new CProcessThread);
        worker->setOwner(&frame);
        worker->setMinuteMilliseconds(minuteMilliseconds);
        ASSERT_EQ(worker->Open(), 1);
        worker->WaitRunning();
        ASSERT_EQ(worker->GetRunning(), 1);
        frame.queue.setWakeThread(worker->threadId());
    }
    void Stop()
    {
        if (worker) worker->Close();
        worker.reset();
    }
    void TearDown() override
    {
        Stop();
        frame.DestroyWindow();
        DeleteFileA(file.c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\") + kCompany).c_str());
        CVantrelApp* app = VantrelApp();
        if (app->trayMenu != nullptr) DestroyMenu(app->trayMenu);
        app->trayMenu = nullptr;
        app->trayPopup = nullptr;
        DestroyMenu(startTray);
        app->loggedIn = 0;
        app->engineReady = 1;
    }

    // What the frame's login request does, then waits for the worker.
    void LogIn(const std::string& path, const std::string& menu, const std::string& user,
               const std::string& password, std::string key)
    {
        CVantrelApp* app = VantrelApp();
        app->loginFile = path;
        app->loginMenuName = menu;
        app->loginUser = user;
        app->loginPassword = password;
        key.resize(8, static_cast<char>(0xAB));
        app->loginKey = key;
        Request(TM_LOGIN);
    }
    void Request(UINT message)
    {
        CVantrelApp* app = VantrelApp();
        app->engineReady = 0;
        ASSERT_TRUE(PostThreadMessageA(worker->threadId(), message, 0, 0));
        ASSERT_TRUE(PumpUntil([app] { return app->engineReady.load() == 1; }));
    }
    static bool LoginValuesEmpty()
    {
        const CVantrelApp* app = VantrelApp();
        return app->loginFile.empty() && app->loginMenuName.empty() && app->loginUser.empty() &&
               app->loginPassword.empty() && app->loginKey.empty();
    }
    static void ExpectDefaultTree(const CMenuDocument& document)
    {
        ASSERT_NE(document.rootMenu, nullptr);
        EXPECT_EQ(Captions(document), std::vector<std::string>{"Vantrel"});
        EXPECT_EQ(document.rootMenu->itemAt(0)->hasSubmenu, 1);
    }

    RecordingFrame frame;
    std::unique_ptr<CProcessThread> worker;
    std::string file;
    HMENU startTray = nullptr;
};

TEST_F(EngineLogin, RightLoginLoadsTheTreeAndTrimsTheTrayMenuForTheRights)
{
    Start();
    struct Case {
        const char* user;
        const char* password;
        std::set<UINT> removed;
    };
    const Case cases[] = {
        {"writer", "w1", {ID_CHANGE_PASSWORD}},
        {"reader", "r1", {ID_OPEN_DESIGNER, ID_USERS, ID_DELETE_MENU}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user);
        LogIn(file, "Office", c.user, c.password, kItemKey);
        CVantrelApp* app = VantrelApp();
        EXPECT_EQ(app->loggedIn.load(), 1);
        EXPECT_EQ(app->decryptFailed.load(), 0);
        EXPECT_EQ(app->loginUser, c.user);
        EXPECT_EQ(Captions(worker->document()), (std::vector<std::string>{"Plain", "Secret"}));
        EXPECT_EQ(worker->document().rootMenu->itemAt(1)->keystrokes, "s3cret");
        ASSERT_NE(app->trayPopup.load(), startTray);
        EXPECT_EQ(CommandIds(app->trayPopup), TrayCommandsWithout(c.removed));
        EXPECT_TRUE(frame.notices.empty());
        EXPECT_TRUE(frame.commands.empty());
    }
}

TEST_F(EngineLogin, RefusedLoginsLeaveTheDefaultTreeAndAskAgain)
{
    Start();
    const std::string missing = TempFile("missing.vn");
    struct Case {
        const char* what;
        std::string path;
        const char* menu;
        const char* user;
        const char* password;
        const char* key;
        bool wrongKey;
    };
    const Case cases[] = {
        {"wrong password", file, "Office", "writer", "r1", kItemKey, false},
        {"unknown user", file, "Office", "guest", "", kItemKey, false},
        {"unknown menu", file, "Offices", "writer", "w1", kItemKey, false},
        {"no such file", missing, "Office", "writer", "w1", kItemKey, false},
        {"wrong item key", file, "Office", "writer", "w1", "k3z", true},
        {"no item key", file, "Office", "reader", "r1", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Logged in first, so that each refusal shows what it takes away.
        LogIn(file, "Office", "writer", "w1", kItemKey);
        ASSERT_EQ(VantrelApp()->loggedIn.load(), 1);
        HMENU trayBefore = VantrelApp()->trayPopup;
        frame.notices.clear();
        frame.commands.clear();

        LogIn(c.path, c.menu, c.user, c.password, c.key);
        CVantrelApp* app = VantrelApp();
        EXPECT_EQ(app->loggedIn.load(), 0);
        EXPECT_TRUE(LoginValuesEmpty());
        ExpectDefaultTree(worker->document());
        EXPECT_EQ(app->trayPopup.load(), trayBefore) << "a refused login leaves the tray menu as it was";
        if (c.wrongKey) {
            EXPECT_EQ(app->decryptFailed.load(), 1);
            EXPECT_EQ(frame.notices, (std::vector<UINT>{IDS_WRONG_ITEM_KEY, MB_ICONQUESTION}));
            EXPECT_TRUE(frame.commands.empty());
        } else {
            EXPECT_EQ(app->decryptFailed.load(), 0);
            EXPECT_TRUE(frame.notices.empty());
            EXPECT_EQ(frame.commands, std::vector<UINT>{ID_LOGIN});
        }
    }
}

TEST_F(EngineLogin, LogOutResetsTheTreeTheLoginValuesAndTheTrayMenu)
{
    Start();
    LogIn(file, "Office", "writer", "w1", kItemKey);
    ASSERT_EQ(VantrelApp()->loggedIn.load(), 1);

    Request(TM_LOGOUT);
    CVantrelApp* app = VantrelApp();
    EXPECT_EQ(app->loggedIn.load(), 0);
    EXPECT_TRUE(LoginValuesEmpty());
    ExpectDefaultTree(worker->document());
    const std::vector<UINT> offered = CommandIds(app->trayPopup);
    EXPECT_EQ(offered, TrayCommandsWithout(kLoggedOutRemoves));
    EXPECT_NE(std::find(offered.begin(), offered.end(), static_cast<UINT>(ID_LOGIN)), offered.end());
    EXPECT_TRUE(frame.notices.empty());
    EXPECT_TRUE(frame.commands.empty());
}

TEST_F(EngineLogin, StartupLoginReadsTheSavedValuesAndDeciphersTheSavedKey)
{
    struct Case {
        const char* what;
        std::string des;
        int minutes;
        std::string key;  // as handed to the login request
        int minutesAfter;
        const char* menuKey;  // the key the menu's texts are enciphered with
    };
    const Case cases[] = {
        {"saved key", EncodeRememberedKey(kItemKey), 5, kItemKey, 5, kItemKey},
        {"odd digit dropped", EncodeRememberedKey(kItemKey) + "7", 150, kItemKey, 99, kItemKey},
        {"one-character key, as the login dialog remembers it", EncodeRememberedKey("k"), -3, "k", 0, "k"},
        {"key that fails the check", std::string(16, '0'), 0, "", 0, kItemKey},
        {"no saved key", "", 1, "", 1, kItemKey},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteOfficeMenuFile(file, c.menuKey, "abc");
        CVantrelApp* app = VantrelApp();
        app->WriteProfileInt("Settings", "AutoEnter", 1);
        app->WriteProfileString("Settings", "File", file.c_str());
        app->WriteProfileString("Settings", "Vantrel", "Office");
        app->WriteProfileString("Settings", "User", "reader");
        app->WriteProfileString("Settings", "Password", "r1");
        app->WriteProfileString("Settings", "Des", c.des.empty() ? nullptr : c.des.c_str());
        app->WriteProfileInt("Settings", "AutoLogoutMin", c.minutes);
        app->loginKey = "stale";
        frame.loginRequests = 0;

        Start();
        ASSERT_TRUE(PumpUntil([this] { return frame.loginRequests.load() > 0; }));
        EXPECT_EQ(app->loginFile, file);
        EXPECT_EQ(app->loginMenuName, "Office");
        EXPECT_EQ(app->loginUser, "reader");
        EXPECT_EQ(app->loginPassword, "r1");
        EXPECT_EQ(app->loginKey, c.key);
        EXPECT_EQ(app->autoLogoutMinutes.load(), c.minutesAfter);

        // A login with what it read (the key made 8 bytes as the frame does)
        // opens the menu only with the right key.
        LogIn(app->loginFile, app->loginMenuName, app->loginUser, app->loginPassword, app->loginKey);
        EXPECT_EQ(app->loggedIn.load(), c.key == c.menuKey ? 1 : 0);
        EXPECT_EQ(frame.loginRequests.load(), 1);
    }
}

TEST_F(EngineLogin, StartupWithoutAutoEnterRequestsNoLogin)
{
    VantrelApp()->WriteProfileInt("Settings", "AutoEnter", 0);
    VantrelApp()->WriteProfileString("Settings", "File", file.c_str());
    Start();
    // The check runs 130 ms after the start.
    PumpUntil([this] { return frame.loginRequests.load() > 0; }, 1000);
    EXPECT_EQ(frame.loginRequests.load(), 0);
}

TEST_F(EngineLogin, IdleTimeLogsOutUnlessADialogIsOpen)
{
    // Four minutes of 250 ms: a second.
    Start(250);
    LogIn(file, "Office", "writer", "w1", kItemKey);
    CVantrelApp* app = VantrelApp();
    ASSERT_EQ(app->loggedIn.load(), 1);
    app->autoLogoutMinutes = 4;

    // Events every 50 ms for longer than the time-out keep restarting it.
    HookMouseEvent event = {};
    event.message = WM_MOUSEMOVE;
    for (int i = 0; i < 30; ++i) {
        frame.queue.enqueue(event);
        Sleep(50);
    }
    EXPECT_EQ(frame.logoutRequests.load(), 0);
    ASSERT_TRUE(PumpUntil([this] { return frame.logoutRequests.load() == 1; }));

    // With a dialog open the time-out passes without a log-out; the next
    // event starts the time again.
    frame.dialog = true;
    const unsigned taken = worker->eventsTaken();
    frame.queue.enqueue(event);
    ASSERT_TRUE(PumpUntil([&] { return worker->eventsTaken() > taken; }));
    Sleep(1500);
    EXPECT_EQ(frame.logoutRequests.load(), 1);
    frame.dialog = false;
    frame.queue.enqueue(event);
    ASSERT_TRUE(PumpUntil([this] { return frame.logoutRequests.load() == 2; }));

    // Without a time-out set, no log-out comes.
    app->autoLogoutMinutes = 0;
    frame.queue.enqueue(event);
    Sleep(1500);
    EXPECT_EQ(frame.logoutRequests.load(), 2);
}

}  // namespace
