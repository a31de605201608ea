// The logged-in user changes his own password in the menu file.
#pragma once

#include "accounts/hosteddialog.h"

class CChangePasswordDlg : public CHostedDialog {
public:
    explicit CChangePasswordDlg(CDialogHost& host);

protected:
    void OnOK() override;
};
