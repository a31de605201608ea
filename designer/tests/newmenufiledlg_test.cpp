#include "designer/newmenufiledlg.h"

#include "accounts/accountfile.h"
#include "accounts/tests/dialogtestkit.h"
#include "lang/resource.h"

#include <commdlg.h>
#include <gtest/gtest.h>

namespace {

class NewMenuDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettings();
        ClearFolder();
    }
    void TearDown() override
    {
        ClearSettings();
        ClearFolder();
    }
    // Runs the dialog with these entries and presses OK once.
    INT_PTR Run(const std::string& path, const std::string& menu, const std::string& user,
                const std::string& password, std::function<void(HWND)> after = nullptr)
    {
        CNewMenuFileDlg dialog(host);
        host.Then([=](HWND d) {
            EXPECT_EQ(Text(d, IDC_NEWFILE_MENU_NAME), "Vantrel");
            EXPECT_EQ(Text(d, IDC_NEWFILE_USER), "admin");
            SetText(d, IDC_NEWFILE_PATH, path);
            SetText(d, IDC_NEWFILE_MENU_NAME, menu);
            SetText(d, IDC_NEWFILE_USER, user);
            SetText(d, IDC_NEWFILE_PASSWORD, password);
            Click(d, IDOK);
            if (after) after(d);
        });
        return dialog.DoModal(nullptr);
    }

    TestHost host;
};

TEST_F(NewMenuDialog, CreatesAFileWithItsAdministratorAndTheGuest)
{
    const std::string path = TestFolder() + "new.vn";
    ASSERT_EQ(Run(path, "Work", "boss", "pw"), IDOK);
    EXPECT_EQ(host.MessageIds(), (std::vector<UINT>{IDS_ASK_CREATE_FILE, IDS_MENU_CREATED}));
    EXPECT_EQ(host.messages[0].style, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
    CAccountFile accounts;
    ASSERT_TRUE(accounts.load(path));
    EXPECT_EQ(accounts.recordCount(), 1);
    EXPECT_TRUE(accounts.select("Work", "boss", "pw"));
    EXPECT_TRUE(accounts.select("Work", "guest", ""));
    EXPECT_FALSE(accounts.select("Work", "admin", ""));
    ASSERT_TRUE(accounts.findUser("boss"));
    EXPECT_EQ(accounts.currentUser()->rights, "rw");
}

TEST_F(NewMenuDialog, AddsAMenuToAnExistingFileButNotTheSameNameInOtherCase)
{
    const std::string path = TestFolder() + "menus.vn";
    MakeMenuFile(path, {{"Main", {}}});
    ASSERT_EQ(Run(path, "Second", "admin", "x"), IDOK);
    EXPECT_EQ(host.MessageIds(), std::vector<UINT>{IDS_MENU_CREATED});
    {
        CAccountFile accounts;
        ASSERT_TRUE(accounts.load(path));
        EXPECT_EQ(accounts.recordCount(), 2);
        EXPECT_TRUE(accounts.select("Main", "admin", ""));
        EXPECT_TRUE(accounts.select("Second", "admin", "x"));
    }

    host.messages.clear();
    const std::string before = FileBytes(path);
    bool focusOnName = false;
    EXPECT_EQ(Run(path, "mAIN", "admin", "x", [&](HWND d) { focusOnName = HasFocus(d, IDC_NEWFILE_MENU_NAME); }),
              IDCANCEL);
    EXPECT_EQ(host.MessageIds(), std::vector<UINT>{IDS_MENU_EXISTS});
    EXPECT_TRUE(focusOnName);
    EXPECT_EQ(FileBytes(path), before);
}

TEST_F(NewMenuDialog, EmptyPasswordIsAskedFor)
{
    const std::string path = TestFolder() + "open.vn";
    bool focusOnPassword = false;
    host.answers = {IDOK, IDCANCEL};  // create the file: yes; no password: no
    EXPECT_EQ(Run(path, "Main", "admin", "", [&](HWND d) { focusOnPassword = HasFocus(d, IDC_NEWFILE_PASSWORD); }),
              IDCANCEL);
    EXPECT_EQ(host.MessageIds(), (std::vector<UINT>{IDS_ASK_CREATE_FILE, IDS_ASK_EMPTY_PASSWORD}));
    EXPECT_TRUE(focusOnPassword);
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);

    host.messages.clear();
    host.answers = {IDOK, IDOK};
    ASSERT_EQ(Run(path, "Main", "admin", ""), IDOK);
    CAccountFile accounts;
    ASSERT_TRUE(accounts.load(path));
    EXPECT_TRUE(accounts.select("Main", "admin", ""));
}

TEST_F(NewMenuDialog, BrowsePutsTheChosenPathInTheFileField)
{
    host.programFolder = TestFolder();
    const std::string stored = TestFolder() + "menus.vn";
    MakeMenuFile(stored, {{"Main", {}}});
    host.settings().WriteProfileString("Settings", "File", "menus.vn");
    const std::string chosen = TestFolder() + "fresh.vn";
    CNewMenuFileDlg dialog(host);
    host.Then([&](HWND d) {
        SetText(d, IDC_NEWFILE_PATH, "typed.vn");
        host.chosenFiles = {""};
        Click(d, IDC_NEWFILE_BROWSE);
        EXPECT_EQ(Text(d, IDC_NEWFILE_PATH), "typed.vn");  // a cancel changes nothing
        host.chosenFiles = {chosen};
        Click(d, IDC_NEWFILE_BROWSE);
        EXPECT_EQ(Text(d, IDC_NEWFILE_PATH), chosen);  // the full path
        SetText(d, IDC_NEWFILE_PASSWORD, "pw");
        Click(d, IDOK);
    });
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(host.MessageIds(), (std::vector<UINT>{IDS_ASK_CREATE_FILE, IDS_MENU_CREATED}));
    // It starts from the stored file, found in the program folder, and takes
    // the name of a file still to be made.
    ASSERT_EQ(host.browses.size(), 2u);
    EXPECT_EQ(host.browses[0].start, stored);
    EXPECT_EQ(host.browses[0].flags & OFN_FILEMUSTEXIST, 0u);
    CAccountFile accounts;
    ASSERT_TRUE(accounts.load(chosen));
    EXPECT_TRUE(accounts.select("Vantrel", "admin", "pw"));
}

TEST_F(NewMenuDialog, RefusalsLeaveTheFileAlone)
{
    const std::string existing = TestFolder() + "kept.vn";
    MakeMenuFile(existing, {{"Main", {}}});
    const std::string before = FileBytes(existing);
    const std::string missing = TestFolder() + "missing.vn";

    struct Case {
        const char* what;
        std::string path, menu, user;
        std::vector<int> answers;
        std::vector<UINT> messages;
        int focus;
    };
    const Case cases[] = {
        {"creation declined", missing, "M", "admin", {IDCANCEL}, {IDS_ASK_CREATE_FILE}, 0},
        {"bad folder", TestFolder() + "no\\dir\\x.vn", "M", "admin", {}, {IDS_BAD_PATH}, 0},
        {"empty menu name", existing, "", "admin", {}, {IDS_MENU_NAME_EMPTY}, IDC_NEWFILE_MENU_NAME},
        {"empty user name", existing, "M", "", {}, {IDS_USER_NAME_EMPTY}, IDC_NEWFILE_USER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.messages.clear();
        host.answers.assign(c.answers.begin(), c.answers.end());
        bool focused = true;
        EXPECT_EQ(Run(c.path, c.menu, c.user, "pw",
                      [&](HWND d) {
                          if (c.focus != 0) focused = HasFocus(d, c.focus);
                      }),
                  IDCANCEL);
        EXPECT_EQ(host.MessageIds(), c.messages);
        EXPECT_TRUE(focused);
        EXPECT_EQ(FileBytes(existing), before);
        EXPECT_EQ(GetFileAttributesA(missing.c_str()), INVALID_FILE_ATTRIBUTES);
    }

    // Agreeing to create a missing file and then naming an existing one
    // adds to it rather than replacing it.
    host.messages.clear();
    host.answers.clear();
    CNewMenuFileDlg dialog(host);
    host.Then([&](HWND d) {
        SetText(d, IDC_NEWFILE_PATH, missing);
        SetText(d, IDC_NEWFILE_MENU_NAME, "");
        Click(d, IDOK);
        SetText(d, IDC_NEWFILE_PATH, existing);
        SetText(d, IDC_NEWFILE_MENU_NAME, "Added");
        SetText(d, IDC_NEWFILE_PASSWORD, "pw");
        Click(d, IDOK);
    });
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(host.MessageIds(), (std::vector<UINT>{IDS_ASK_CREATE_FILE, IDS_MENU_NAME_EMPTY, IDS_MENU_CREATED}));
    CAccountFile accounts;
    ASSERT_TRUE(accounts.load(existing));
    EXPECT_EQ(accounts.recordCount(), 2);
}

}  // namespace
