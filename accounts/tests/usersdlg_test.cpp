#include "accounts/usersdlg.h"

#include "accounts/accountfile.h"
#include "accounts/tests/dialogtestkit.h"
#include "lang/resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

const int kList = IDW_PANE_FIRST;

// The rows of the list: "name:rights text".
std::vector<std::string> Rows(HWND dialog)
{
    HWND list = GetDlgItem(dialog, kList);
    std::vector<std::string> rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[2][64] = {};
        for (int column = 0; column < 2; ++column) {
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = text[column];
            item.cchTextMax = 64;
            SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        }
        rows.push_back(std::string(text[0]) + ":" + text[1]);
    }
    return rows;
}

void SelectRow(HWND dialog, const std::string& name)
{
    HWND list = GetDlgItem(dialog, kList);
    LVFINDINFOA find = {};
    find.flags = LVFI_STRING;
    find.psz = name.c_str();
    const int row = static_cast<int>(SendMessageA(list, LVM_FINDITEMA, -1, reinterpret_cast<LPARAM>(&find)));
    ASSERT_GE(row, 0) << name;
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

// A double click on the row of `name` as the list gets it: the first click
// has selected the row, the second comes at its centre.
void DoubleClickRow(HWND dialog, const std::string& name)
{
    SelectRow(dialog, name);
    HWND list = GetDlgItem(dialog, kList);
    const int row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    RECT bounds = {};
    bounds.left = LVIR_LABEL;
    ASSERT_TRUE(SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds)));
    const POINT at = {(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
    SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
}

// Handles the thread's messages until `done` holds; false after 10 s.
bool PumpUntil(const std::function<bool()>& done)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 10000) return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return true;
}

class UsersDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettings();
        ClearFolder();
        file = TestFolder() + "menus.vn";
        MakeMenuFile(file, {{"Main", {{"admin", "a", "rw"}, {"bob", "b", "r"}, {"carol", "c", "rw"}}}});
        LogIn("carol", "c");
    }
    void TearDown() override
    {
        ClearSettings();
        ClearFolder();
    }
    void LogIn(const std::string& user, const std::string& password)
    {
        host.isLoggedIn = true;
        host.login = {file, "Main", user, password, ""};
    }
    // The users of the file's menu as "name/password/rights".
    std::vector<std::string> FileUsers()
    {
        CAccountFile accounts;
        EXPECT_TRUE(accounts.load(file));
        std::vector<std::string> users;
        if (!accounts.findRecord("Main")) return users;
        for (const CUserEntry& user : accounts.currentRecord()->users)
            users.push_back(user.userName + "/" + user.password + "/" + user.rights);
        return users;
    }
    // Adds a user through the New user dialog.
    void AddUser(HWND users, const std::string& name, const std::string& password, const std::string& again,
                 bool readOnly)
    {
        host.Then([=](HWND d) {
            SetText(d, IDC_USER_NAME, name);
            SetText(d, IDC_USER_PASSWORD, password);
            SetText(d, IDC_USER_PASSWORD_AGAIN, again);
            CheckDlgButton(d, IDC_USER_READ_ONLY, readOnly ? BST_CHECKED : BST_UNCHECKED);
            Click(d, IDOK);
        });
        Click(users, ID_USER_ADD);
    }
    // Renames and sets the rights of `name` through User properties.
    void EditUser(HWND users, const std::string& name, const std::string& newName, bool readOnly)
    {
        SelectRow(users, name);
        host.Then([=](HWND p) {
            SetText(p, IDC_USER_NAME, newName);
            CheckDlgButton(p, IDC_USER_READ_ONLY, readOnly ? BST_CHECKED : BST_UNCHECKED);
            Click(p, IDOK);
        });
        Click(users, ID_USER_EDIT);
    }
    void SetPassword(HWND users, const std::string& name, const std::string& password)
    {
        SelectRow(users, name);
        host.Then([=](HWND s) {
            SetText(s, IDC_NEW_PASSWORD, password);
            SetText(s, IDC_CONFIRM_PASSWORD, password);
            Click(s, IDOK);
        });
        Click(users, ID_USER_PASSWORD);
    }
    void DeleteUser(HWND users, const std::string& name, int answer)
    {
        SelectRow(users, name);
        host.answers.push_back(answer);
        Click(users, ID_USER_DELETE);
    }

    TestHost host;
    std::string file;
};

TEST_F(UsersDialog, RefusesToOpenForAReaderOrAStaleLogin)
{
    struct Case {
        const char* what;
        std::string user, password, file;
    };
    const Case cases[] = {
        {"reader", "bob", "b", ""},
        {"wrong password", "carol", "x", ""},
        {"missing file", "carol", "c", TestFolder() + "gone.vn"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.messages.clear();
        LogIn(c.user, c.password);
        if (!c.file.empty()) host.login.file = c.file;
        CUsersDlg dialog(host);
        EXPECT_EQ(dialog.Run(nullptr), -1);
        ASSERT_EQ(host.MessageIds(), std::vector<UINT>{IDS_LOAD_FILE_FAILED});
        EXPECT_EQ(host.messages[0].first, host.login.file);
        EXPECT_EQ(host.shownAnimated, 0);
    }
}

TEST_F(UsersDialog, ListsAndAddsUsersComparingNamesExactly)
{
    CUsersDlg dialog(host);
    host.Then([&](HWND d) {
        EXPECT_EQ(Rows(d), (std::vector<std::string>{"admin:Read-Write", "bob:Read-Only", "carol:Read-Write"}));
        AddUser(d, "Bob", "pw", "pw", false);
        EXPECT_TRUE(host.messages.empty());
        AddUser(d, "bob", "pw", "pw", true);
        EXPECT_EQ(host.MessageIds(), std::vector<UINT>{IDS_USER_EXISTS});
        EXPECT_EQ(host.messages.at(0).first, "bob");
        EXPECT_EQ(Rows(d).size(), 4u);

        // Input errors keep the New user dialog open: too short a name, then
        // passwords that differ (both fields emptied), then the fix.
        host.messages.clear();
        host.Then([&](HWND n) {
            SetText(n, IDC_USER_NAME, "x");
            Click(n, IDOK);
            EXPECT_TRUE(HasFocus(n, IDC_USER_NAME));
            SetText(n, IDC_USER_NAME, "xy");
            SetText(n, IDC_USER_PASSWORD, "one");
            SetText(n, IDC_USER_PASSWORD_AGAIN, "One");
            Click(n, IDOK);
            EXPECT_EQ(Text(n, IDC_USER_PASSWORD), "");
            EXPECT_EQ(Text(n, IDC_USER_PASSWORD_AGAIN), "");
            EXPECT_TRUE(HasFocus(n, IDC_USER_PASSWORD));
            SetText(n, IDC_USER_PASSWORD, "two");
            SetText(n, IDC_USER_PASSWORD_AGAIN, "two");
            CheckDlgButton(n, IDC_USER_READ_ONLY, BST_CHECKED);
            Click(n, IDOK);
        });
        Click(d, ID_USER_ADD);
        EXPECT_EQ(host.MessageIds(), (std::vector<UINT>{IDS_USER_NAME_TOO_SHORT, IDS_NEW_USER_PASSWORD_DIFF}));
        std::vector<std::string> rows = Rows(d);
        std::sort(rows.begin(), rows.end());  // the system's sort order of "bob" and "Bob" may vary
        EXPECT_EQ(rows, (std::vector<std::string>{"Bob:Read-Write", "admin:Read-Write", "bob:Read-Only",
                                                  "carol:Read-Write", "xy:Read-Only"}));
        Click(d, ID_USERS_CLOSE);
    });
    EXPECT_EQ(dialog.Run(nullptr), 0);
    EXPECT_EQ(host.shownAnimated, 1);  // the small dialogs do not fly to the tray
    EXPECT_EQ(FileUsers(), (std::vector<std::string>{"admin/a/rw", "bob/b/r", "carol/c/rw", "Bob/pw/rw", "xy/two/r"}));
}

TEST_F(UsersDialog, EditsRightsAndNamesButNeverAdmin)
{
    CUsersDlg dialog(host);
    host.Then([&](HWND d) {
        SelectRow(d, "admin");
        Click(d, ID_USER_EDIT);
        EXPECT_EQ(host.MessageIds(), std::vector<UINT>{IDS_ADMIN_LOCKED});

        host.messages.clear();
        SelectRow(d, "bob");
        host.Then([&](HWND p) {
            EXPECT_EQ(Text(p, IDC_USER_NAME), "bob");
            EXPECT_TRUE(Checked(p, IDC_USER_READ_ONLY));
            SetText(p, IDC_USER_NAME, "b");
            Click(p, IDOK);  // one character: refused
            SetText(p, IDC_USER_NAME, "robert");
            CheckDlgButton(p, IDC_USER_READ_ONLY, BST_UNCHECKED);
            Click(p, IDOK);
        });
        Click(d, ID_USER_EDIT);
        EXPECT_EQ(host.MessageIds(), std::vector<UINT>{IDS_USER_NAME_TOO_SHORT});
        EXPECT_EQ(Rows(d), (std::vector<std::string>{"admin:Read-Write", "carol:Read-Write", "robert:Read-Write"}));

        // Renaming onto another user's name is refused.
        host.messages.clear();
        SelectRow(d, "robert");
        host.Then([&](HWND p) {
            SetText(p, IDC_USER_NAME, "carol");
            Click(p, IDOK);
        });
        Click(d, ID_USER_EDIT);
        EXPECT_EQ(host.MessageIds(), std::vector<UINT>{IDS_USER_EXISTS});

        // Set password: the two entries must agree; an empty one is allowed.
        host.messages.clear();
        SelectRow(d, "robert");
        host.Then([&](HWND s) {
            EXPECT_EQ(Text(s, IDC_SETPW_USER_NAME), "robert");
            SetText(s, IDC_NEW_PASSWORD, "p1");
            SetText(s, IDC_CONFIRM_PASSWORD, "p2");
            Click(s, IDOK);
            EXPECT_EQ(Text(s, IDC_NEW_PASSWORD), "");
            EXPECT_TRUE(HasFocus(s, IDC_NEW_PASSWORD));
            Click(s, IDOK);
        });
        Click(d, ID_USER_PASSWORD);
        EXPECT_EQ(host.MessageIds(), std::vector<UINT>{IDS_PASSWORD_DIFF});
    });
    dialog.Run(nullptr);
    EXPECT_EQ(FileUsers(), (std::vector<std::string>{"admin/a/rw", "robert//rw", "carol/c/rw"}));
}

TEST_F(UsersDialog, DoubleClickOnARowOpensItsProperties)
{
    CUsersDlg dialog(host);
    host.Then([&](HWND d) {
        std::string shownName;
        bool shownReadOnly = false;
        host.Then([&](HWND p) {
            shownName = Text(p, IDC_USER_NAME);
            shownReadOnly = Checked(p, IDC_USER_READ_ONLY);
            CheckDlgButton(p, IDC_USER_READ_ONLY, BST_UNCHECKED);
            Click(p, IDOK);
        });
        const size_t closedBefore = host.closed.size();
        DoubleClickRow(d, "bob");
        ASSERT_TRUE(PumpUntil([&] { return host.closed.size() > closedBefore; }));
        EXPECT_EQ(shownName, "bob");
        EXPECT_TRUE(shownReadOnly);
        EXPECT_EQ(Rows(d), (std::vector<std::string>{"admin:Read-Write", "bob:Read-Write", "carol:Read-Write"}));

        DoubleClickRow(d, "admin");
        ASSERT_TRUE(PumpUntil([&] { return !host.messages.empty(); }));
        EXPECT_EQ(host.MessageIds(), std::vector<UINT>{IDS_ADMIN_LOCKED});
    });
    dialog.Run(nullptr);
    EXPECT_TRUE(host.scripts.empty());
    EXPECT_EQ(FileUsers(), (std::vector<std::string>{"admin/a/rw", "bob/b/rw", "carol/c/rw"}));
}

TEST_F(UsersDialog, DeletingTheLoggedInUserRemovesTheAccountAtOnce)
{
    CUsersDlg dialog(host);
    host.Then([&](HWND d) {
        DeleteUser(d, "carol", IDYES);
        EXPECT_EQ(Rows(d), (std::vector<std::string>{"admin:Read-Write", "bob:Read-Only"}));
        // The login no longer matches: further changes are refused.
        DeleteUser(d, "bob", IDYES);
        EXPECT_EQ(host.MessageIds(),
                  (std::vector<UINT>{IDS_ASK_DELETE_USER, IDS_ASK_DELETE_USER, IDS_UPDATE_FILE_FAILED}));
        EXPECT_EQ(Rows(d).size(), 2u);
    });
    dialog.Run(nullptr);
    EXPECT_EQ(FileUsers(), (std::vector<std::string>{"admin/a/rw", "bob/b/r"}));
}

TEST_F(UsersDialog, AsksBeforeDeletingAndKeepsTheLastWriter)
{
    CUsersDlg dialog(host);
    host.Then([&](HWND d) {
        DeleteUser(d, "bob", IDNO);
        ASSERT_EQ(host.MessageIds(), std::vector<UINT>{IDS_ASK_DELETE_USER});
        EXPECT_EQ(host.messages[0].first, "bob");
        EXPECT_EQ(host.messages[0].style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
        EXPECT_EQ(Rows(d).size(), 3u);

        DeleteUser(d, "admin", IDYES);
        EXPECT_EQ(Rows(d), (std::vector<std::string>{"bob:Read-Only", "carol:Read-Write"}));

        // carol is now the only one who may write: neither deleted (not
        // even asked) nor made read-only.
        host.messages.clear();
        DeleteUser(d, "carol", IDYES);
        EditUser(d, "carol", "carol", true);
        ASSERT_EQ(host.MessageIds(), (std::vector<UINT>{IDS_LAST_WRITER, IDS_LAST_WRITER}));
        EXPECT_EQ(host.messages[0].first, "carol");
        EXPECT_EQ(host.messages[1].first, "carol");
        host.answers.clear();

        // Another program has made bob a writer: the rule goes by what the
        // file holds when the change is made, not by the rows.
        {
            CAccountFile other;
            ASSERT_TRUE(other.loadForUpdate(file));
            ASSERT_TRUE(other.select("Main", "bob", "b"));
            other.currentUser()->rights = "rw";
            ASSERT_TRUE(other.save());
        }
        host.messages.clear();
        EditUser(d, "carol", "carol", true);
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(Rows(d), (std::vector<std::string>{"bob:Read-Write", "carol:Read-Only"}));
    });
    dialog.Run(nullptr);
    EXPECT_EQ(FileUsers(), (std::vector<std::string>{"bob/b/rw", "carol/c/r"}));
}

TEST_F(UsersDialog, HoldsTheFileOnlyWhileAChangeIsMade)
{
    CUsersDlg dialog(host);
    host.Then([&](HWND d) {
        // With the dialog open, another program logs in and saves a change.
        {
            CAccountFile other;
            ASSERT_TRUE(other.loadForUpdate(file));
            ASSERT_TRUE(other.select("Main", "admin", "a"));
            other.addUser("dave", "d", "r");
            ASSERT_TRUE(other.save());
        }
        // The dialog's next change keeps it, and the rows show the file.
        AddUser(d, "erin", "e", "e", true);
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(Rows(d), (std::vector<std::string>{"admin:Read-Write", "bob:Read-Only", "carol:Read-Write",
                                                     "dave:Read-Only", "erin:Read-Only"}));
    });
    dialog.Run(nullptr);
    EXPECT_EQ(FileUsers(),
              (std::vector<std::string>{"admin/a/rw", "bob/b/r", "carol/c/rw", "dave/d/r", "erin/e/r"}));
}

TEST_F(UsersDialog, ChangesToTheLoggedInAccountKeepTheSessionGoing)
{
    // The settings remember carol's login with her password.
    CWinApp& settings = host.settings();
    settings.WriteProfileString("Settings", "File", file.c_str());
    settings.WriteProfileString("Settings", "Vantrel", "Main");
    settings.WriteProfileString("Settings", "User", "carol");
    settings.WriteProfileString("Settings", "Password", "c");
    settings.WriteProfileInt("Settings", "Remember", 1);

    CUsersDlg dialog(host);
    host.Then([&](HWND d) {
        SetPassword(d, "carol", "c2");
        EXPECT_EQ(host.login.user, "carol");
        EXPECT_EQ(host.login.password, "c2");
        EditUser(d, "carol", "caroline", false);
        EXPECT_EQ(host.login.user, "caroline");
        EXPECT_EQ(host.login.password, "c2");
        // Another user's password leaves the login alone.
        SetPassword(d, "bob", "b2");
        EXPECT_EQ(host.login.password, "c2");
        AddUser(d, "zed", "z", "z", true);
        EXPECT_TRUE(host.messages.empty());
    });
    dialog.Run(nullptr);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(FileUsers(), (std::vector<std::string>{"admin/a/rw", "bob/b2/r", "caroline/c2/rw", "zed/z/r"}));
    EXPECT_EQ(SettingText("User"), "caroline");
    EXPECT_EQ(SettingText("Password"), "c2");
}

}  // namespace
