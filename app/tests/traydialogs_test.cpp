// The tray menu's dialog commands with message boxes recorded and answered and
// the dialogs driven once they are on screen.
#include "app/traydialogs.h"
#include "app/mainframe.h"
#include "app/vantrelapp.h"

#include "accounts/accountfile.h"
#include "ahcommon/ahsystem.h"
#include "framework/cmdui.h"
#include "framework/controls.h"
#include "lang/resource.h"

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

namespace {

const char kCompany[] = "Vantrel Tray Dialog Tests";

class RecordingDialogs;
RecordingDialogs* g_dialogs = nullptr;

// The tray menu's dialogs with the message boxes recorded and a script run on
// the next dialog that appears.
class RecordingDialogs : public CTrayDialogs {
public:
    explicit RecordingDialogs(CMainFrame& frame) : CTrayDialogs(frame) { g_dialogs = this; }
    ~RecordingDialogs() { g_dialogs = nullptr; }

    int showMessage(HWND, UINT stringId, UINT, const std::string& first, const std::string& second) override
    {
        messages.push_back(stringId);
        arguments.push_back(first + "|" + second);
        if (answers.empty()) return IDOK;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void dialogShown(HWND dialog, bool) override
    {
        if (!script) return;
        m_window = dialog;
        SetTimer(nullptr, 0, 10, &RecordingDialogs::RunScript);
    }

    std::vector<UINT> messages;
    std::vector<std::string> arguments;
    std::deque<int> answers;
    std::function<void(HWND)> script;

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

std::string TempFile(const char* name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "vantrel-tray-dialogs-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

std::vector<std::string> MenuNames(const std::string& path)
{
    CAccountFile accounts;
    std::vector<std::string> names;
    if (!accounts.load(path)) return names;
    for (int i = 0; i < accounts.recordCount(); ++i) names.push_back(accounts.recordAt(i)->menuName);
    return names;
}

void MakeFile(const std::string& path, const std::vector<std::string>& menus)
{
    CAccountFile accounts;
    ASSERT_TRUE(accounts.create(path, menus.at(0)));
    for (size_t i = 1; i < menus.size(); ++i) accounts.addRecord(menus[i], std::string());
    ASSERT_TRUE(accounts.save());
}

class TrayDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        HMODULE module = LoadLibraryA("vnEng.dll");
        ASSERT_NE(module, nullptr);
        SetResourceModule(module);
        AhSetResourceHandle(module);
        InitCommonControlsOnce();
        VantrelApp()->SetRegistryKey(kCompany);
    }
    void SetUp() override
    {
        file = TempFile("menus.vn");
        CVantrelApp* app = VantrelApp();
        app->loggedIn = 1;
        app->engineReady = 1;
        app->loginFile = file;
        app->loginMenuName = "Main";
        app->loginUser = "admin";
        app->loginPassword = "";
    }
    void TearDown() override
    {
        DeleteFileA(file.c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\") + kCompany).c_str());
        VantrelApp()->loggedIn = 0;
        VantrelApp()->engineReady = 1;
    }

    CMainFrame frame;
    RecordingDialogs dialogs{frame};
    std::string file;
};

TEST_F(TrayDialogs, DeleteMenuAsksThenRemovesTheMenuAndLogsOut)
{
    MakeFile(file, {"Main", "Other"});
    dialogs.answers = {IDCANCEL};
    dialogs.OnDeleteMenu();
    EXPECT_EQ(dialogs.messages, std::vector<UINT>{IDS_ASK_DELETE_MENU});
    EXPECT_EQ(dialogs.arguments.at(0), file + "|Main");
    EXPECT_EQ(MenuNames(file), (std::vector<std::string>{"Main", "Other"}));
    EXPECT_EQ(VantrelApp()->engineReady.load(), 1);

    dialogs.OnDeleteMenu();
    EXPECT_EQ(MenuNames(file), std::vector<std::string>{"Other"});
    EXPECT_EQ(VantrelApp()->engineReady.load(), 0);  // the logout is under way
}

TEST_F(TrayDialogs, DeleteMenuNeverTakesAnotherMenuOfTheSameNameInOtherCase)
{
    MakeFile(file, {"MAIN", "Main"});
    dialogs.OnDeleteMenu();
    EXPECT_EQ(dialogs.messages, (std::vector<UINT>{IDS_ASK_DELETE_MENU, IDS_UPDATE_FILE_FAILED}));
    EXPECT_EQ(MenuNames(file), (std::vector<std::string>{"MAIN", "Main"}));

    dialogs.messages.clear();
    VantrelApp()->loginPassword = "wrong";
    dialogs.OnDeleteMenu();
    EXPECT_EQ(dialogs.messages, (std::vector<UINT>{IDS_ASK_DELETE_MENU, IDS_UPDATE_FILE_FAILED}));
    EXPECT_EQ(VantrelApp()->engineReady.load(), 1);
}

TEST_F(TrayDialogs, LoginHandsTheFiveValuesOverWithAnEightByteKey)
{
    MakeFile(file, {"Main"});
    CVantrelApp* app = VantrelApp();
    app->loggedIn = 0;
    app->loginFile.clear();
    app->loginMenuName.clear();
    app->WriteProfileString("Settings", "File", file.c_str());
    dialogs.script = [](HWND d) {
        SetDlgItemTextA(d, IDC_LOGIN_USER, "admin");
        SetDlgItemTextA(d, IDC_LOGIN_ITEM_KEY, "abc");
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
    dialogs.OnLogin();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(app->loginFile, file);
    EXPECT_EQ(app->loginMenuName, "Main");
    EXPECT_EQ(app->loginUser, "admin");
    EXPECT_EQ(app->loginPassword, "");
    EXPECT_EQ(app->loginKey, std::string("abc") + std::string(5, '\xAB'));
    EXPECT_EQ(app->engineReady.load(), 0);

    // Logged in, the same command logs out without a dialog.
    app->loggedIn = 1;
    app->engineReady = 1;
    dialogs.script = [](HWND) { ADD_FAILURE() << "no dialog expected"; };
    dialogs.OnLogin();
    EXPECT_EQ(app->engineReady.load(), 0);
    dialogs.script = nullptr;
}

TEST_F(TrayDialogs, TheDesignerOpensOnlyForAWriterAndItsSaveReloadsTheMenus)
{
    MakeFile(file, {"Main"});
    CVantrelApp* app = VantrelApp();
    HMENU popup = CreatePopupMenu();
    ASSERT_NE(popup, nullptr);
    AppendMenuA(popup, MF_STRING, ID_OPEN_DESIGNER, "Designer");
    const auto enabled = [&] {
        UpdateMenuCommands(popup, frame);
        return (GetMenuState(popup, ID_OPEN_DESIGNER, MF_BYCOMMAND) & MF_GRAYED) == 0;
    };
    EXPECT_TRUE(enabled());

    app->loggedIn = 0;
    EXPECT_FALSE(enabled());
    dialogs.script = [](HWND) { ADD_FAILURE() << "no designer expected"; };
    dialogs.OnOpenDesigner();
    EXPECT_TRUE(dialogs.messages.empty());

    // A reader gets a message and no designer.
    app->loggedIn = 1;
    app->loginUser = "guest";
    dialogs.OnOpenDesigner();
    EXPECT_EQ(dialogs.messages, std::vector<UINT>{IDS_DESIGNER_READ_ONLY});
    EXPECT_FALSE(dialogs.designer.IsOpen());
    DestroyMenu(popup);

    dialogs.messages.clear();
    app->loginUser = "admin";
    dialogs.script = [](HWND d) {
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(ID_DESIGNER_SAVE, 0), 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(ID_DESIGNER_CLOSE, 0), 0);
    };
    dialogs.OnOpenDesigner();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(dialogs.designer.IsOpen());
    EXPECT_EQ(app->engineReady.load(), 0) << "the worker was asked to load the saved menu";
}

TEST_F(TrayDialogs, ChangingTheOwnPasswordKeepsTheLoginAndTheRememberedPasswordMatching)
{
    MakeFile(file, {"Main"});
    CVantrelApp* app = VantrelApp();
    app->WriteProfileString("Settings", "File", file.c_str());
    app->WriteProfileString("Settings", "Vantrel", "Main");
    app->WriteProfileString("Settings", "User", "admin");
    app->WriteProfileString("Settings", "Password", "");
    app->WriteProfileInt("Settings", "Remember", 1);
    dialogs.script = [](HWND d) {
        SetDlgItemTextA(d, IDC_NEW_PASSWORD, "pw");
        SetDlgItemTextA(d, IDC_CONFIRM_PASSWORD, "pw");
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
    dialogs.OnChangePassword();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(app->loginUser, "admin");
    EXPECT_EQ(app->loginPassword, "pw");
    EXPECT_EQ(app->getProfileText("Settings", "Password", ""), "pw");

    // The users dialog still finds the login in the file.
    dialogs.script = [](HWND) {};
    dialogs.OnUsers();
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
