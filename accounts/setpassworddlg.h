// Sets a user's password without asking for the old one.
#pragma once

#include "accounts/hosteddialog.h"

class CSetPasswordDlg : public CHostedDialog {
public:
    explicit CSetPasswordDlg(CDialogHost& host);

    std::string userName;  // in
    std::string password;  // out

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
