// Start-up against damaged settings and menu files that are no menu files:
// the worker's start-up login, the login dialog it falls back to, the idle
// time-out and the designer's save each end as they should, in bounded time,
// whatever the settings name.
#include "app/appmessages.h"
#include "app/tests/enginetestkit.h"
#include "app/hookqueue.h"
#include "app/mainframe.h"
#include "app/processthread.h"
#include "app/traydialogs.h"
#include "app/vantrelapp.h"
#include "accounts/accountfile.h"
#include "ahcommon/ahsystem.h"
#include "ahcommon/threadtimer.h"
#include "designer/logindlg.h"
#include "framework/controls.h"
#include "framework/window.h"
#include "lang/resource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kCompany[] = "Vantrel Bad Settings Tests";
const char kItemKey[] = "k3y";
// Whatever the settings name, a login or the dialog's opening ends within this.
const DWORD kBoundMs = 10000;

std::string TempPath(const char* name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "vantrel-bad-settings-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(ok && written == bytes.size()) << path;
}

std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

// `megabytes` of bytes from a fixed pseudo-random sequence.
void WriteRandomFile(const std::string& path, int megabytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    std::vector<std::uint64_t> chunk(1 << 17);  // 1 MB
    bool ok = true;
    for (int m = 0; m < megabytes && ok; ++m) {
        for (std::uint64_t& word : chunk) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            word = state;
        }
        DWORD written = 0;
        const DWORD size = static_cast<DWORD>(chunk.size() * sizeof chunk[0]);
        ok = WriteFile(file, chunk.data(), size, &written, nullptr) && written == size;
    }
    CloseHandle(file);
    ASSERT_TRUE(ok);
}

class RecordingDialogs;
RecordingDialogs* g_dialogs = nullptr;

// The tray's dialogs with their messages recorded and a script run on the
// next dialog that appears.
class RecordingDialogs : public CTrayDialogs {
public:
    explicit RecordingDialogs(CMainFrame& frame) : CTrayDialogs(frame) { g_dialogs = this; }
    ~RecordingDialogs() { g_dialogs = nullptr; }

    int showMessage(HWND, UINT stringId, UINT, const std::string& first, const std::string&) override
    {
        messages.push_back(stringId);
        arguments.push_back(first);
        return IDOK;
    }
    void dialogShown(HWND dialog, bool) override
    {
        if (!script) return;
        m_window = dialog;
        SetTimer(nullptr, 0, 10, &RecordingDialogs::RunScript);
    }
    void reloadMenus() override { ++reloads; }

    std::vector<UINT> messages;
    std::vector<std::string> arguments;
    std::function<void(HWND)> script;
    int reloads = 0;

private:
    static void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(nullptr, id);
        if (g_dialogs == nullptr || !g_dialogs->script) return;
        auto script = std::move(g_dialogs->script);
        g_dialogs->script = nullptr;
        script(g_dialogs->m_window);
        if (IsWindowVisible(g_dialogs->m_window))
            PostMessageA(g_dialogs->m_window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    HWND m_window = nullptr;
};

std::string ControlText(HWND dialog, int id)
{
    char text[MAX_PATH] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// The files the settings may name, made once: making 100 MB takes a while.
struct Files {
    std::string menu, readOnly, missing, folder, empty, png, text, random;
};
Files g_files;

class BadSettings : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        UseEnglishResources(kCompany);
        InitCommonControlsOnce();

        Files& f = g_files;
        f.menu = TempPath("menus.vn");
        f.readOnly = TempPath("readonly.vn");
        f.missing = TempPath("missing.vn");
        f.folder = TempPath("folder.vn");
        f.empty = TempPath("empty.vn");
        f.png = TempPath("picture.vn");
        f.text = TempPath("notes.vn");
        f.random = TempPath("random.vn");
        WriteOfficeMenuFile(f.menu, kItemKey);
        WriteOfficeMenuFile(f.readOnly, kItemKey);
        ASSERT_TRUE(SetFileAttributesA(f.readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
        ASSERT_TRUE(CreateDirectoryA(f.folder.c_str(), nullptr));
        WriteBytes(f.empty, std::string());
        // A PNG's signature and header chunk, as an image viewer would leave it.
        WriteBytes(f.png, std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x10\0\0\0\x10\x08\x06\0\0\0\x1F\xF3\xFF\x61", 33));
        WriteBytes(f.text, "[Settings]\r\nFile=menus.vn\r\nUser=writer\r\n");
        WriteRandomFile(f.random, 100);
    }
    static void TearDownTestSuite()
    {
        const Files& f = g_files;
        SetFileAttributesA(f.readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
        for (const std::string* path : {&f.menu, &f.readOnly, &f.empty, &f.png, &f.text, &f.random})
            DeleteFileA(path->c_str());
        RemoveDirectoryA(f.folder.c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\") + kCompany).c_str());
        UninitializeTimer();
    }

    void SetUp() override
    {
        CVantrelApp* app = VantrelApp();
        app->loggedIn = 0;
        app->engineReady = 1;
        app->decryptFailed = 0;
        app->autoLogoutMinutes = 0;
        app->trayMenu = nullptr;
        app->trayPopup = startTray = CreatePopupMenu();
        const RECT none = {0, 0, 0, 0};
        ASSERT_TRUE(recorder.CreateEx(0, CWnd::RegisterWndClass(0), "RecordingFrame", WS_POPUP, none, nullptr, 0));
    }
    void TearDown() override
    {
        Stop();
        recorder.DestroyWindow();
        RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\") + kCompany).c_str());
        CVantrelApp* app = VantrelApp();
        if (app->trayMenu != nullptr) DestroyMenu(app->trayMenu);
        app->trayMenu = nullptr;
        app->trayPopup = nullptr;
        DestroyMenu(startTray);
        app->loggedIn = 0;
        app->engineReady = 1;
        app->autoLogoutMinutes = 0;
    }

    // The settings a start-up login reads.
    static void WriteSettings(const std::string& file, const char* user, const char* password, const std::string& des,
                              int minutes)
    {
        CVantrelApp* app = VantrelApp();
        app->WriteProfileInt("Settings", "AutoEnter", 1);
        app->WriteProfileString("Settings", "File", file.c_str());
        app->WriteProfileString("Settings", "Vantrel", "Office");
        app->WriteProfileString("Settings", "User", user);
        app->WriteProfileString("Settings", "Password", password);
        app->WriteProfileString("Settings", "Des", des.empty() ? nullptr : des.c_str());
        app->WriteProfileInt("Settings", "AutoLogoutMin", minutes);
    }

    void Start(UINT minuteMilliseconds = 60000)
    {
        Stop();
        worker.reset(new CProcessThread);
        worker->setOwner(&recorder);
        worker->setMinuteMilliseconds(minuteMilliseconds);
        ASSERT_EQ(worker->Open(), 1);
        worker->WaitRunning();
        ASSERT_EQ(worker->GetRunning(), 1);
        recorder.queue.setWakeThread(worker->threadId());
    }
    void Stop()
    {
        if (worker) worker->Close();
        worker.reset();
    }

    // Starts the worker, lets its start-up check read the settings, then
    // logs in with what it read as the frame's request does; false when
    // either step outlasts the bound.
    bool StartAndLogIn(UINT minuteMilliseconds = 60000)
    {
        recorder.loginRequests = 0;
        recorder.notices.clear();
        recorder.commands.clear();
        Start(minuteMilliseconds);
        if (!PumpUntil([this] { return recorder.loginRequests.load() > 0; })) return false;
        CVantrelApp* app = VantrelApp();
        readKey = app->loginKey;
        app->loginKey.resize(8, static_cast<char>(0xAB));
        app->engineReady = 0;
        if (!PostThreadMessageA(worker->threadId(), TM_LOGIN, 0, 0)) return false;
        return PumpUntil([app] { return app->engineReady.load() == 1; });
    }

    std::vector<std::string> Captions() const
    {
        std::vector<std::string> captions;
        CMenuList* root = worker->document().rootMenu;
        for (int i = 0; root != nullptr && i < root->count(); ++i) captions.push_back(root->itemAt(i)->caption);
        return captions;
    }

    RecordingFrame recorder;
    std::unique_ptr<CProcessThread> worker;
    std::string readKey;  // the item key as the start-up check read it
    HMENU startTray = nullptr;
};

enum class Outcome {
    LoggedIn,   // the menu's tree, logged in
    LoginAgain, // refused: the default tree, the login dialog asked for again
    WrongKey,   // the menu opened but the key does not fit: notice 121, then the login again
};

TEST_F(BadSettings, StartupLoginWithEachSettingEndsLoggedInOrBackAtTheLogin)
{
    const Files& f = g_files;
    const std::string goodDes = EncodeRememberedKey(kItemKey);
    struct Case {
        const char* what;
        std::string file;
        std::string des;
        int minutes;
        Outcome outcome;
        std::string key;  // the key the start-up check reads
        int minutesRead;
    };
    const Case cases[] = {
        {"Des garbage", f.menu, "zz!!not hex at all", 0, Outcome::WrongKey, "", 0},
        {"Des of odd length", f.menu, goodDes + "7", 0, Outcome::LoggedIn, kItemKey, 0},
        {"Des of three digits", f.menu, "a1b", 0, Outcome::WrongKey, "", 0},
        {"Des long garbage", f.menu, std::string(100000, 'e'), 0, Outcome::WrongKey, "", 0},
        {"Des empty", f.menu, "", 0, Outcome::WrongKey, "", 0},
        {"AutoLogoutMin 250", f.menu, goodDes, 250, Outcome::LoggedIn, kItemKey, 99},
        {"AutoLogoutMin -3", f.menu, goodDes, -3, Outcome::LoggedIn, kItemKey, 0},
        {"File missing", f.missing, goodDes, 5, Outcome::LoginAgain, kItemKey, 5},
        {"File a folder", f.folder, goodDes, 5, Outcome::LoginAgain, kItemKey, 5},
        {"File of zero bytes", f.empty, goodDes, 5, Outcome::LoginAgain, kItemKey, 5},
        {"File a PNG", f.png, goodDes, 5, Outcome::LoginAgain, kItemKey, 5},
        {"File of text", f.text, goodDes, 5, Outcome::LoginAgain, kItemKey, 5},
        {"File read-only", f.readOnly, goodDes, 5, Outcome::LoggedIn, kItemKey, 5},
        {"File of 100 MB random bytes", f.random, goodDes, 5, Outcome::LoginAgain, kItemKey, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteSettings(c.file, "writer", "w1", c.des, c.minutes);
        const DWORD start = GetTickCount();
        ASSERT_TRUE(StartAndLogIn()) << "no answer within " << kBoundMs << " ms";
        const DWORD took = GetTickCount() - start;
        CVantrelApp* app = VantrelApp();
        EXPECT_EQ(readKey, c.key);
        EXPECT_EQ(app->autoLogoutMinutes.load(), c.minutesRead);
        switch (c.outcome) {
        case Outcome::LoggedIn:
            EXPECT_EQ(app->loggedIn.load(), 1);
            EXPECT_EQ(Captions(), (std::vector<std::string>{"Plain", "Secret"}));
            EXPECT_EQ(worker->document().rootMenu->itemAt(1)->keystrokes, "s3cret");
            EXPECT_TRUE(recorder.notices.empty());
            EXPECT_TRUE(recorder.commands.empty());
            break;
        case Outcome::LoginAgain:
        case Outcome::WrongKey:
            EXPECT_EQ(app->loggedIn.load(), 0);
            EXPECT_EQ(Captions(), std::vector<std::string>{"Vantrel"});
            EXPECT_TRUE(app->loginFile.empty() && app->loginUser.empty() && app->loginKey.empty());
            if (c.outcome == Outcome::WrongKey) {
                EXPECT_EQ(recorder.notices, (std::vector<UINT>{IDS_WRONG_ITEM_KEY, MB_ICONQUESTION}));
                EXPECT_TRUE(recorder.commands.empty());
            } else {
                EXPECT_TRUE(recorder.notices.empty());
                EXPECT_EQ(recorder.commands, std::vector<UINT>{ID_LOGIN});
            }
            break;
        }
        EXPECT_LT(took, kBoundMs);
        RecordProperty(std::string("ms ") + c.what, static_cast<int>(took));
    }
}

// After a refused start-up login the frame opens the login dialog with the
// same settings: it opens without a message, offers the menus of a file that
// is one, and shows the idle minutes clamped as it hands them on.
TEST_F(BadSettings, TheLoginDialogOpensOnEachSetting)
{
    const Files& f = g_files;
    struct Case {
        const char* what;
        std::string file;
        int minutes;
        std::vector<std::string> menus;
        const char* minutesShown;
        int minutesSet;
    };
    const Case cases[] = {
        {"AutoLogoutMin 250", f.menu, 250, {"Office"}, "99", 99},
        {"AutoLogoutMin -3", f.menu, -3, {"Office"}, " 0", 0},
        {"File missing", f.missing, 5, {}, " 5", 5},
        {"File a folder", f.folder, 5, {}, " 5", 5},
        {"File of zero bytes", f.empty, 5, {}, " 5", 5},
        {"File a PNG", f.png, 5, {}, " 5", 5},
        {"File of text", f.text, 5, {}, " 5", 5},
        {"File read-only", f.readOnly, 5, {"Office"}, " 5", 5},
        {"File of 100 MB random bytes", f.random, 5, {}, " 5", 5},
    };
    CMainFrame frame;
    RecordingDialogs dialogs(frame);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteSettings(c.file, "writer", "w1", "zz!!", c.minutes);
        VantrelApp()->autoLogoutMinutes = -1;
        std::vector<std::string> menus;
        std::string minutesShown;
        bool shown = false;
        dialogs.messages.clear();
        dialogs.script = [&](HWND d) {
            shown = true;
            HWND list = GetDlgItem(d, IDC_LOGIN_MENU_LIST);
            for (int i = 0; i < static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)); ++i) {
                char name[256] = {};
                SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(name));
                menus.push_back(name);
            }
            minutesShown = ControlText(d, IDC_LOGIN_MINUTES);
        };
        const DWORD start = GetTickCount();
        dialogs.OnLogin();
        const DWORD took = GetTickCount() - start;
        EXPECT_TRUE(shown);
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(menus, c.menus);
        EXPECT_EQ(minutesShown, c.minutesShown);
        EXPECT_EQ(VantrelApp()->autoLogoutMinutes.load(), c.minutesSet);
        EXPECT_LT(took, kBoundMs);
        RecordProperty(std::string("ms ") + c.what, static_cast<int>(took));
    }
}

// The idle time-out runs from the minutes as read: 250 as 99 of them, -3 as
// none. One minute lasts 20 ms here, so 99 minutes are about 2 s (250 would
// be 5 s).
TEST_F(BadSettings, IdleTimeOutFollowsTheClampedMinutes)
{
    const struct {
        int stored;
        bool logsOut;
    } cases[] = {{250, true}, {-3, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        WriteSettings(g_files.menu, "writer", "w1", EncodeRememberedKey(kItemKey), c.stored);
        ASSERT_TRUE(StartAndLogIn(20));
        ASSERT_EQ(VantrelApp()->loggedIn.load(), 1);
        recorder.logoutRequests = 0;
        HookMouseEvent event = {};
        event.message = WM_MOUSEMOVE;
        const unsigned taken = worker->eventsTaken();
        const DWORD start = GetTickCount();
        recorder.queue.enqueue(event);
        ASSERT_TRUE(PumpUntil([&] { return worker->eventsTaken() > taken; }));
        const bool loggedOut = PumpUntil([this] { return recorder.logoutRequests.load() > 0; }, 4000);
        const DWORD took = GetTickCount() - start;
        EXPECT_EQ(loggedOut, c.logsOut);
        if (c.logsOut) {
            EXPECT_GE(took, 1500u) << "99 minutes of 20 ms";
        }
    }
}

// A read-only menu file: the writer logs in and opens the designer, but its
// save says that the file could not be changed and leaves it as it was.
TEST_F(BadSettings, SavingAReadOnlyMenuFileSaysWhyAndChangesNothing)
{
    const std::string& file = g_files.readOnly;
    const std::string before = ReadBytes(file);
    ASSERT_FALSE(before.empty());
    CVantrelApp* app = VantrelApp();
    app->loggedIn = 1;
    app->loginFile = file;
    app->loginMenuName = "Office";
    app->loginUser = "writer";
    app->loginPassword = "w1";
    app->loginKey = std::string(kItemKey) + std::string(5, '\xAB');

    CMainFrame frame;
    RecordingDialogs dialogs(frame);
    bool opened = false;
    dialogs.script = [&](HWND d) {
        opened = true;
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(ID_DESIGNER_SAVE, 0), 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(ID_DESIGNER_CLOSE, 0), 0);
    };
    dialogs.OnOpenDesigner();
    EXPECT_TRUE(opened);
    EXPECT_FALSE(dialogs.designer.IsOpen());
    EXPECT_EQ(dialogs.messages, std::vector<UINT>{IDS_SAVE_FILE_READ_ONLY});
    EXPECT_EQ(dialogs.arguments, std::vector<std::string>{file});
    EXPECT_EQ(dialogs.reloads, 0);
    EXPECT_TRUE(ReadBytes(file) == before);
    EXPECT_EQ(GetFileAttributesA((file + ".~save").c_str()), INVALID_FILE_ATTRIBUTES) << "no side file left";
    app->loggedIn = 0;
    app->loginFile.clear();
    app->loginUser.clear();
    app->loginPassword.clear();
    app->loginKey.clear();
}

}  // namespace
