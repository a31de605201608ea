// The users of the logged-in menu: list them with their rights, add, delete,
// rename, switch rights and set passwords. Every change is written to the
// menu file at once; the file is held only while one change is made. Only a
// user with write rights may open it, and the last user with write rights
// can be neither deleted nor made read-only.
#pragma once

#include "accounts/accountfile.h"
#include "accounts/hosteddialog.h"
#include "accounts/newuserdlg.h"
#include "accounts/rowlistctrl.h"
#include "accounts/setpassworddlg.h"
#include "accounts/userpropertiesdlg.h"
#include "framework/controls.h"

#include <functional>
#include <list>
#include <string>

class CUsersDlg : public CHostedDialog {
public:
    explicit CUsersDlg(CDialogHost& host);

    // Reads the login's menu file and runs the dialog on what it read; the
    // file is not held meanwhile. When the file cannot be read, the login
    // no longer matches or the user may not write, shows the message and
    // returns -1 without a window. While the dialog is open it is only
    // brought to the top.
    INT_PTR Run(HWND parent);

    // The text the list shows for a user's rights.
    static const char* RightsText(const std::string& rights);

    CNewUserDlg newUserDialog;
    CUserPropertiesDlg propertiesDialog;
    CSetPasswordDlg passwordDialog;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // Why a change was not made: string `id` with `text` for its "%s", shown
    // once the file is let go; id 0 lets the change be saved.
    struct Refusal {
        UINT id;
        UINT style;
        std::string text;
    };
    // Edits the login's record (current in `accounts`); `loggedIn` is the
    // entry the login selects.
    using Change = std::function<Refusal(CAccountFile& accounts, CUserEntry& loggedIn)>;

    void OnAddUser();
    void OnDeleteUser();
    void OnEditUser();
    void OnSetPassword();
    // One change as a short transaction: the file is held from reading it
    // for update until the change is saved, and the login is checked again
    // first (still matching, still with write rights). The rows then show
    // the users as saved, with the row of `selectName` selected.
    bool Transact(const Change& change, const std::string& selectName);
    Refusal UpdateFailed() const;
    void ShowUsers(const std::string& selectName);
    void AddRow(const CUserEntry& user);

    // The users of the login's record as last read or saved.
    std::list<CUserEntry> m_users;
    CRowListCtrl m_list;
    CListView m_rows;
    CStatusBar m_statusBar;
};
