// The new-menu dialog: a new named menu in a new or an existing menu file,
// with its first administrator.
#pragma once

#include "accounts/hosteddialog.h"

class CNewMenuFileDlg : public CHostedDialog {
public:
    explicit CNewMenuFileDlg(CDialogHost& host);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void OnBrowse();
    // The open test; a missing file passes when the user agrees to create it.
    bool PassesOpenTest(const std::string& path);

    bool m_createFile = false;
};
