#include "designer/logindlg.h"

#include "accounts/tests/dialogtestkit.h"
#include "designer/maskedit.h"
#include "lang/resource.h"

#include <commctrl.h>
#include <commdlg.h>
#include <gtest/gtest.h>

#include <iterator>

namespace {

class LoginDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettings();
        ClearFolder();
        file = TestFolder() + "menus.vn";
        MakeMenuFile(file, {{"Main", {{"admin", "secret", "rw"}, {"guest", "", "r"}}}, {"Other", {}}});
        host.settings().WriteProfileString("Settings", "File", file.c_str());
        host.settings().WriteProfileString("Settings", "Vantrel", "Main");
    }
    void TearDown() override
    {
        ClearSettings();
        ClearFolder();
    }
    // Fills in a login that passes every check.
    static void FillGoodLogin(HWND dialog)
    {
        SetText(dialog, IDC_LOGIN_USER, "admin");
        SetText(dialog, IDC_LOGIN_PASSWORD, "secret");
        SetText(dialog, IDC_LOGIN_ITEM_KEY, "");
    }

    TestHost host;
    std::string file;
};

TEST_F(LoginDialog, EveryRefusalKeepsTheDialogOpenAndWritesNothing)
{
    const std::string junk = TestFolder() + "junk.vn";
    WriteBytes(junk, "not a menu file");
    struct Case {
        const char* what;
        std::function<void(HWND)> change;
        UINT message;
        int focus;  // 0: not checked
    };
    const Case cases[] = {
        {"missing file", [](HWND d) { SetText(d, IDC_LOGIN_FILE, TestFolder() + "none.vn"); }, IDS_FILE_NOT_FOUND, 0},
        {"bad folder", [](HWND d) { SetText(d, IDC_LOGIN_FILE, TestFolder() + "no\\such\\menus.vn"); }, IDS_BAD_PATH, 0},
        {"no menu chosen", [](HWND d) { SendDlgItemMessageA(d, IDC_LOGIN_MENU_LIST, LB_SETCURSEL, -1, 0); },
         IDS_NO_MENU_SELECTED, 0},
        {"unreadable file", [&](HWND d) { SetText(d, IDC_LOGIN_FILE, junk); }, IDS_LOAD_FILE_FAILED, 0},
        {"menu gone from the file",
         [](HWND d) {
             HWND list = GetDlgItem(d, IDC_LOGIN_MENU_LIST);
             const LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Zzz gone"));
             SendMessageA(list, LB_SETCURSEL, at, 0);
         },
         IDS_MENU_NOT_FOUND, 0},
        {"wrong password", [](HWND d) { SetText(d, IDC_LOGIN_PASSWORD, "Secret"); }, IDS_LOGIN_REFUSED,
         IDC_LOGIN_USER},
        {"user name in other case", [](HWND d) { SetText(d, IDC_LOGIN_USER, "Admin"); }, IDS_LOGIN_REFUSED,
         IDC_LOGIN_USER},
        {"ten-character key", [](HWND d) { SetText(d, IDC_LOGIN_ITEM_KEY, "0123456789"); }, IDS_ITEM_KEY_TOO_LONG,
         IDC_LOGIN_ITEM_KEY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.messages.clear();
        CLoginDlg dialog(host);
        bool stayedOpen = false;
        HWND focus = nullptr, expectedFocus = nullptr;
        host.Then([&](HWND d) {
            FillGoodLogin(d);
            c.change(d);
            Click(d, IDOK);
            stayedOpen = std::find(host.closed.begin(), host.closed.end(), d) == host.closed.end();
            focus = GetFocus();
            expectedFocus = c.focus != 0 ? GetDlgItem(d, c.focus) : nullptr;
            if (c.message == IDS_MENU_NOT_FOUND) {
                EXPECT_EQ(Text(d, IDC_LOGIN_FILE), "");
                EXPECT_EQ(SendDlgItemMessageA(d, IDC_LOGIN_MENU_LIST, LB_GETCOUNT, 0, 0), 0);
            }
        });
        EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
        EXPECT_TRUE(stayedOpen);
        ASSERT_EQ(host.MessageIds(), std::vector<UINT>{c.message});
        if (c.message == IDS_LOAD_FILE_FAILED) {
            EXPECT_EQ(host.messages[0].first, junk);
        }
        if (expectedFocus != nullptr) {
            EXPECT_EQ(focus, expectedFocus);
        }
        EXPECT_FALSE(SettingExists("User"));
        EXPECT_FALSE(SettingExists("AutoLogoutMin"));
        EXPECT_EQ(SettingText("File"), file);
    }
}

TEST_F(LoginDialog, GoodLoginHandsOverFiveValuesAndRemembersThem)
{
    CLoginDlg dialog(host);
    host.Then([&](HWND d) {
        // The stored menu is chosen and the user name has the focus.
        EXPECT_EQ(Text(d, IDC_LOGIN_FILE), file);
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_LOGIN_MENU_LIST, LB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_LOGIN_MENU_LIST, LB_GETCURSEL, 0, 0), 0);
        EXPECT_TRUE(HasFocus(d, IDC_LOGIN_USER));
        FillGoodLogin(d);
        SetText(d, IDC_LOGIN_ITEM_KEY, "123456789");  // nine characters pass
        SetText(d, IDC_LOGIN_MINUTES, "15");
        CheckDlgButton(d, IDC_LOGIN_REMEMBER_PASSWORD, BST_CHECKED);
        host.answers.push_back(IDOK);
        ClickCheck(d, IDC_LOGIN_REMEMBER_KEY, true);
        Click(d, IDOK);
    });
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(host.MessageIds(), std::vector<UINT>{IDS_ASK_REMEMBER_KEY});
    EXPECT_EQ(host.messages[0].style, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_EQ(dialog.filePath, file);
    EXPECT_EQ(dialog.menuName, "Main");
    EXPECT_EQ(dialog.userName, "admin");
    EXPECT_EQ(dialog.password, "secret");
    EXPECT_EQ(dialog.itemKey, "123456789");
    EXPECT_EQ(host.autoLogoutMinutes, 15);

    CWinApp& settings = host.settings();
    EXPECT_EQ(SettingText("File"), file);
    EXPECT_EQ(SettingText("Vantrel"), "Main");
    EXPECT_EQ(SettingText("User"), "admin");
    EXPECT_EQ(SettingText("Password"), "secret");
    EXPECT_EQ(settings.GetProfileInt("Settings", "Remember", 7), 1u);
    EXPECT_EQ(settings.GetProfileInt("Settings", "DesRemember", 7), 1u);
    EXPECT_EQ(settings.GetProfileInt("Settings", "AutoLogoutMin", 7), 15u);
    const std::string des = SettingText("Des");
    EXPECT_EQ(des.size(), 32u);  // nine bytes and seven pad bytes
    EXPECT_EQ(DecodeRememberedKey(des), "123456789");

    // The next dialog shows what was remembered; unchecking both boxes
    // removes the password and the key at the next login.
    CLoginDlg again(host);
    host.Then([&](HWND d) {
        EXPECT_EQ(Text(d, IDC_LOGIN_PASSWORD), "secret");
        EXPECT_EQ(Text(d, IDC_LOGIN_ITEM_KEY), "123456789");
        EXPECT_EQ(Text(d, IDC_LOGIN_MINUTES), "15");
        EXPECT_TRUE(Checked(d, IDC_LOGIN_REMEMBER_PASSWORD));
        EXPECT_TRUE(Checked(d, IDC_LOGIN_REMEMBER_KEY));
        CheckDlgButton(d, IDC_LOGIN_REMEMBER_PASSWORD, BST_UNCHECKED);
        CheckDlgButton(d, IDC_LOGIN_REMEMBER_KEY, BST_UNCHECKED);
        EXPECT_TRUE(SettingExists("Password"));  // not at once
        Click(d, IDOK);
    });
    ASSERT_EQ(again.DoModal(nullptr), IDOK);
    EXPECT_FALSE(SettingExists("Password"));
    EXPECT_FALSE(SettingExists("Des"));
    EXPECT_TRUE(SettingExists("User"));
    EXPECT_EQ(settings.GetProfileInt("Settings", "Remember", 7), 0u);
}

TEST_F(LoginDialog, RememberKeyQuestionAndAutoEnterBox)
{
    CLoginDlg dialog(host);
    host.Then([&](HWND d) {
        host.answers.push_back(IDCANCEL);
        ClickCheck(d, IDC_LOGIN_REMEMBER_KEY, true);
        EXPECT_FALSE(Checked(d, IDC_LOGIN_REMEMBER_KEY));
        ClickCheck(d, IDC_LOGIN_REMEMBER_KEY, false);  // unchecking asks nothing
        ClickCheck(d, IDC_LOGIN_AUTO_ENTER, true);
        EXPECT_EQ(host.settings().GetProfileInt("Settings", "AutoEnter", 7), 1u);
        ClickCheck(d, IDC_LOGIN_AUTO_ENTER, false);
        EXPECT_EQ(host.settings().GetProfileInt("Settings", "AutoEnter", 7), 0u);
    });
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    EXPECT_EQ(host.MessageIds(), std::vector<UINT>{IDS_ASK_REMEMBER_KEY});
}

TEST_F(LoginDialog, BrowseTakesTheChosenFileWithItsMenus)
{
    host.programFolder = TestFolder();
    const std::string single = TestFolder() + "single.vn";
    MakeMenuFile(single, {{"Only", {{"ann", "pw", "rw"}}}});
    const std::string junk = TestFolder() + "junk.vn";
    WriteBytes(junk, "not a menu file");
    struct Step {
        const char* what;
        std::string chosen;  // "": cancelled
        UINT message;        // 0: none
        std::string field;
        LRESULT menus;
        int focus;  // 0: not checked
    };
    // Applied in turn to one dialog, which starts on the stored file.
    const Step steps[] = {
        {"cancelled", "", 0, file, 2, 0},
        {"not a menu file", junk, IDS_LOAD_FILE_FAILED, file, 2, 0},
        {"gone since it was chosen", TestFolder() + "gone.vn", IDS_FILE_NOT_FOUND, file, 2, 0},
        {"one menu", single, 0, "single.vn", 1, IDC_LOGIN_USER},
        {"two menus", file, 0, "menus.vn", 2, IDC_LOGIN_MENU_LIST},
        {"one menu again", single, 0, "single.vn", 1, IDC_LOGIN_USER},
    };
    CLoginDlg dialog(host);
    host.Then([&](HWND d) {
        HWND list = GetDlgItem(d, IDC_LOGIN_MENU_LIST);
        for (const Step& step : steps) {
            SCOPED_TRACE(step.what);
            host.messages.clear();
            host.chosenFiles.push_back(step.chosen);
            Click(d, IDC_LOGIN_BROWSE);
            EXPECT_EQ(host.MessageIds(), step.message == 0 ? std::vector<UINT>{} : std::vector<UINT>{step.message});
            EXPECT_EQ(Text(d, IDC_LOGIN_FILE), step.field);
            EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), step.menus);
            EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);
            if (step.focus != 0) {
                EXPECT_TRUE(HasFocus(d, step.focus));
            }
        }
        // The file now in the field is the one logged in to.
        SetText(d, IDC_LOGIN_USER, "ann");
        SetText(d, IDC_LOGIN_PASSWORD, "pw");
        Click(d, IDOK);
    });
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(dialog.filePath, "single.vn");
    EXPECT_EQ(dialog.menuName, "Only");
    EXPECT_EQ(SettingText("File"), "single.vn");
    // Logged out, it starts from the stored file and wants an existing one.
    ASSERT_EQ(host.browses.size(), std::size(steps));
    EXPECT_EQ(host.browses[0].start, file);
    EXPECT_NE(host.browses[0].flags & OFN_FILEMUSTEXIST, 0u);

    // Logged in, it starts from the login's file, found in the program folder.
    host.isLoggedIn = true;
    host.login.file = "single.vn";
    CLoginDlg again(host);
    host.Then([&](HWND d) { Click(d, IDC_LOGIN_BROWSE); });
    again.DoModal(nullptr);
    EXPECT_EQ(host.browses.back().start, single);
}

TEST_F(LoginDialog, OpeningReadsTheSettings)
{
    struct Case {
        int stored;
        const char* shown;
        int position;
    };
    const Case cases[] = {{150, "99", 99}, {-3, " 0", 0}, {7, " 7", 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        host.settings().WriteProfileInt("Settings", "AutoLogoutMin", c.stored);
        CLoginDlg dialog(host);
        host.Then([&](HWND d) {
            EXPECT_EQ(Text(d, IDC_LOGIN_MINUTES), c.shown);
            EXPECT_EQ(SendDlgItemMessageA(d, IDC_LOGIN_MINUTES_SPIN, UDM_GETPOS32, 0, 0), c.position);
        });
        dialog.DoModal(nullptr);
        EXPECT_EQ(host.autoLogoutMinutes, c.position);
    }

    // A single menu is preselected even when another name was stored; a
    // remembered key of odd length loses its last character; after a wrong
    // item key the key field has the focus.
    const std::string single = TestFolder() + "single.vn";
    MakeMenuFile(single, {{"Only", {}}});
    host.settings().WriteProfileString("Settings", "File", single.c_str());
    host.settings().WriteProfileString("Settings", "Des", (EncodeRememberedKey("k3y") + "A").c_str());
    host.decryptFailed = true;
    CLoginDlg dialog(host);
    host.Then([&](HWND d) {
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_LOGIN_MENU_LIST, LB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(Text(d, IDC_LOGIN_ITEM_KEY), "k3y");
        EXPECT_TRUE(HasFocus(d, IDC_LOGIN_ITEM_KEY));
    });
    dialog.DoModal(nullptr);
    EXPECT_FALSE(host.decryptFailed);

    // Without a stored file the browse button has the focus.
    host.settings().WriteProfileString("Settings", "File", nullptr);
    CLoginDlg empty(host);
    host.Then([&](HWND d) { EXPECT_TRUE(HasFocus(d, IDC_LOGIN_BROWSE)); });
    empty.DoModal(nullptr);
}

TEST(MaskRules, EachMaskCharacterAcceptsItsClass)
{
    struct Case {
        char mask;
        const char* accepted;
        const char* refused;
    };
    const Case cases[] = {
        {'0', "059", " a-"},     {'9', "09 ", "a-"},       {'#', "09 km", "ax-"}, {'L', "aZ", "0 -"},
        {'?', "aZ ", "0-"},      {'A', "aZ09", " -"},      {'a', "aZ09 ", "-_"},  {'H', "09afAF", "gG "},
        {'X', "09afAF ", "gG-"}, {'&', "a0 -~", "\t\x7f"}, {'x', "", "a0 "},
    };
    for (const Case& c : cases) {
        for (const char* p = c.accepted; *p; ++p) EXPECT_TRUE(MaskAccepts(c.mask, *p)) << c.mask << " " << *p;
        for (const char* p = c.refused; *p; ++p) EXPECT_FALSE(MaskAccepts(c.mask, *p)) << c.mask << " " << *p;
    }
}

TEST_F(LoginDialog, MinutesFieldTypesOverAndTakesBackspace)
{
    host.settings().WriteProfileInt("Settings", "AutoLogoutMin", 5);
    CLoginDlg dialog(host);
    host.Then([&](HWND d) {
        HWND edit = GetDlgItem(d, IDC_LOGIN_MINUTES);
        auto caret = [&] {
            DWORD start = 0, end = 0;
            SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            return static_cast<int>(start);
        };
        SendMessageA(edit, EM_SETSEL, 0, 0);
        SendMessageA(edit, WM_CHAR, 'a', 0);  // refused
        EXPECT_EQ(Text(d, IDC_LOGIN_MINUTES), " 5");
        SendMessageA(edit, WM_CHAR, '4', 0);  // overwrites the space
        EXPECT_EQ(Text(d, IDC_LOGIN_MINUTES), "45");
        EXPECT_EQ(caret(), 1);
        SendMessageA(edit, WM_CHAR, '2', 0);
        EXPECT_EQ(Text(d, IDC_LOGIN_MINUTES), "42");
        SendMessageA(edit, WM_CHAR, '3', 0);  // no input position left
        EXPECT_EQ(Text(d, IDC_LOGIN_MINUTES), "42");
        SendMessageA(edit, WM_KEYDOWN, VK_DELETE, 0);  // swallowed
        SendMessageA(edit, WM_CHAR, VK_BACK, 0);
        EXPECT_EQ(Text(d, IDC_LOGIN_MINUTES), "4_");
        EXPECT_EQ(caret(), 1);
        SendMessageA(edit, WM_CHAR, VK_BACK, 0);
        SendMessageA(edit, WM_CHAR, VK_BACK, 0);  // at the start: nothing
        EXPECT_EQ(Text(d, IDC_LOGIN_MINUTES), "__");
        EXPECT_EQ(caret(), 0);
        SendMessageA(edit, WM_CHAR, '9', 0);
        EXPECT_EQ(Text(d, IDC_LOGIN_MINUTES), "9_");
        FillGoodLogin(d);
        Click(d, IDOK);
    });
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(host.settings().GetProfileInt("Settings", "AutoLogoutMin", 0), 9u);
}

}  // namespace
