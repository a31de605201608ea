#include "accounts/setpassworddlg.h"

#include "lang/resource.h"

CSetPasswordDlg::CSetPasswordDlg(CDialogHost& host) : CHostedDialog(IDD_SET_PASSWORD, host, false) {}

BOOL CSetPasswordDlg::OnInitDialog()
{
    password.clear();
    SetDlgItemText(IDC_SETPW_USER_NAME, userName);
    return TRUE;
}

void CSetPasswordDlg::OnOK()
{
    const std::string first = GetDlgItemText(IDC_NEW_PASSWORD);
    if (first != GetDlgItemText(IDC_CONFIRM_PASSWORD)) {
        Message(IDS_PASSWORD_DIFF, MB_ICONINFORMATION);
        SetDlgItemText(IDC_NEW_PASSWORD, "");
        SetDlgItemText(IDC_CONFIRM_PASSWORD, "");
        FocusControl(IDC_NEW_PASSWORD);
        return;
    }
    password = first;
    Finish(IDOK);
}
