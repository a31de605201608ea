// Asks for a new user's name, password (twice) and rights.
#pragma once

#include "accounts/hosteddialog.h"

class CNewUserDlg : public CHostedDialog {
public:
    explicit CNewUserDlg(CDialogHost& host);

    std::string userName;
    std::string password;
    bool readOnly = false;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};

// User names must have at least this many characters.
const size_t kMinUserNameLength = 2;
