// Renames a user and switches it between read-only and read-write.
#pragma once

#include "accounts/hosteddialog.h"

class CUserPropertiesDlg : public CHostedDialog {
public:
    explicit CUserPropertiesDlg(CDialogHost& host);

    // In: the selected user; out: the new values.
    std::string userName;
    bool readOnly = false;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
