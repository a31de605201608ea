#include "designer/changepassworddlg.h"

#include "accounts/accountfile.h"
#include "designer/tests/dialogtestkit.h"
#include "lang/resource.h"

#include <gtest/gtest.h>

namespace {

class ChangePasswordDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearFolder();
        file = TestFolder() + "menus.vn";
        MakeMenuFile(file, {{"Main", {{"admin", "old", "rw"}, {"bob", "b", "r"}}}});
        host.isLoggedIn = true;
        host.login = {file, "Main", "admin", "old", ""};
    }
    void TearDown() override { ClearFolder(); }
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

TEST_F(ChangePasswordDialog, ChangesTheLoggedInUsersPassword)
{
    ASSERT_EQ(Run("new", "new"), IDOK);
    EXPECT_TRUE(host.messages.empty());
    CAccountFile accounts;
    ASSERT_TRUE(accounts.load(file));
    EXPECT_TRUE(accounts.select("Main", "admin", "new"));
    EXPECT_TRUE(accounts.select("Main", "bob", "b"));
    EXPECT_EQ(host.login.password, "old");  // the login values are not the dialog's
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
