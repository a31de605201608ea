#include "designer/changepassworddlg.h"

#include "accounts/accountfile.h"
#include "accounts/tests/dialogtestkit.h"
#include "lang/resource.h"

#include <gtest/gtest.h>

namespace {

class ChangePasswordDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettings();
        ClearFolder();
        file = TestFolder() + "menus.vn";
        MakeMenuFile(file, {{"Main", {{"admin", "old", "rw"}, {"bob", "b", "r"}}}});
        host.isLoggedIn = true;
        host.login = {file, "Main", "admin", "old", ""};
    }
    void TearDown() override
    {
        ClearSettings();
        ClearFolder();
    }
    INT_PTR Run(const std::string& password, const std::string& confirmation, bool* focusOnNew = nullptr)
    {
        CChangePasswordDlg dialog(host);
        host.Then([=](HWND d) {
            SetText(d, IDC_NEW_PASSWORD, password);
            SetText(d, IDC_CONFIRM_PASSWORD, confirmation);
            Click(d, IDOK);
            if (focusOnNew != nullptr) *focusOnNew = HasFocus(d, IDC_NEW_PASSWORD);
        });
        return dialog.DoModal(nullptr);
    }

    TestHost host;
    std::string file;
};

TEST_F(ChangePasswordDialog, ChangesTheLoggedInUsersPasswordAndTheSessionGoesOn)
{
    // The settings remember this login with its password.
    CWinApp& settings = host.settings();
    settings.WriteProfileString("Settings", "File", file.c_str());
    settings.WriteProfileString("Settings", "Vantrel", "Main");
    settings.WriteProfileString("Settings", "User", "admin");
    settings.WriteProfileString("Settings", "Password", "old");
    settings.WriteProfileInt("Settings", "Remember", 1);

    ASSERT_EQ(Run("new", "new"), IDOK);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.login.password, "new");
    EXPECT_EQ(SettingText("Password"), "new");
    // A second change in the same session finds the login still matching.
    ASSERT_EQ(Run("newer", "newer"), IDOK);
    EXPECT_TRUE(host.messages.empty());
    CAccountFile accounts;
    ASSERT_TRUE(accounts.load(file));
    EXPECT_TRUE(accounts.select("Main", "admin", "newer"));
    EXPECT_TRUE(accounts.select("Main", "bob", "b"));
    EXPECT_EQ(host.login.password, "newer");
    EXPECT_EQ(SettingText("Password"), "newer");
    EXPECT_EQ(SettingText("User"), "admin");

    // A password that is not remembered stays out of the settings.
    settings.WriteProfileInt("Settings", "Remember", 0);
    settings.WriteProfileString("Settings", "Password", nullptr);
    ASSERT_EQ(Run("newest", "newest"), IDOK);
    EXPECT_EQ(host.login.password, "newest");
    EXPECT_FALSE(SettingExists("Password"));
}

TEST_F(ChangePasswordDialog, ChangesOnlyTheAccountOfTheLoginNotOneDifferingInCase)
{
    // "bob" may only read; "Bob", listed first, may write. Their passwords
    // differ only in case.
    MakeMenuFile(file, {{"Main", {{"Bob", "Secret", "rw"}, {"bob", "secret", "r"}}}});
    host.login = {file, "Main", "bob", "secret", ""};
    ASSERT_EQ(Run("mine", "mine"), IDOK);
    CAccountFile accounts;
    ASSERT_TRUE(accounts.load(file));
    EXPECT_TRUE(accounts.select("Main", "bob", "mine"));
    EXPECT_TRUE(accounts.select("Main", "Bob", "Secret"));
    EXPECT_FALSE(accounts.select("Main", "Bob", "mine"));
}

TEST_F(ChangePasswordDialog, Refusals)
{
    const std::string before = FileBytes(file);
    bool focusOnNew = false;
    EXPECT_EQ(Run("Secret", "secret", &focusOnNew), IDCANCEL);
    EXPECT_EQ(host.MessageIds(), std::vector<UINT>{IDS_PASSWORD_DIFF});
    EXPECT_TRUE(focusOnNew);
    EXPECT_EQ(Run("abc", "abcd"), IDCANCEL);

    // The password was changed elsewhere since the login.
    host.messages.clear();
    host.login.password = "stale";
    EXPECT_EQ(Run("new", "new"), IDCANCEL);
    ASSERT_EQ(host.MessageIds(), std::vector<UINT>{IDS_UPDATE_FILE_FAILED});
    EXPECT_EQ(host.messages[0].first, file);
    EXPECT_EQ(host.messages[0].style, static_cast<UINT>(MB_OK));
    EXPECT_EQ(FileBytes(file), before);

    host.messages.clear();
    host.login.file = TestFolder() + "gone.vn";
    EXPECT_EQ(Run("new", "new"), IDCANCEL);
    EXPECT_EQ(host.MessageIds(), std::vector<UINT>{IDS_UPDATE_FILE_FAILED});
}

}  // namespace
