// The users of the logged-in menu: list them with their rights, add, delete,
// rename, switch rights and set passwords. Every change is written to the
// menu file at once. Only a user with write rights may open it.
#pragma once

#include "accounts/accountfile.h"
#include "designer/hosteddialog.h"
#include "designer/newuserdlg.h"
#include "designer/rowlistctrl.h"
#include "designer/setpassworddlg.h"
#include "designer/userpropertiesdlg.h"
#include "framework/controls.h"

class CUsersDlg : public CHostedDialog {
public:
    explicit CUsersDlg(CDialogHost& host);

    // Opens the login's menu file and runs the dialog while it stays open;
    // when the file cannot be read, the login no longer matches or the user
    // may not write, shows the message and returns -1 without a window.
    // While the dialog is open it is only brought to the top.
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
    void OnAddUser();
    void OnDeleteUser();
    void OnEditUser();
    void OnSetPassword();
    // Selects the login's record again before a change; false (with the
    // message shown) when the login no longer matches the file.
    bool SelectLogin();
    // Saves; on failure reads the file again so memory matches the disk.
    bool Commit();
    void ReportUpdateFailed();
    int AddRow(const CUserEntry& user);

    CAccountFile m_accounts;
    CRowListCtrl m_list;
    CListView m_rows;
    CStatusBar m_statusBar;
};
