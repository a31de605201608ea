#include "accounts/newuserdlg.h"

#include "lang/resource.h"

CNewUserDlg::CNewUserDlg(CDialogHost& host) : CHostedDialog(IDD_NEW_USER, host, false) {}

BOOL CNewUserDlg::OnInitDialog()
{
    userName.clear();
    password.clear();
    readOnly = false;
    return TRUE;
}

void CNewUserDlg::OnOK()
{
    const std::string name = GetDlgItemText(IDC_USER_NAME);
    if (name.size() < kMinUserNameLength) {
        Message(IDS_USER_NAME_TOO_SHORT, MB_ICONINFORMATION);
        FocusControl(IDC_USER_NAME);
        return;
    }
    const std::string first = GetDlgItemText(IDC_USER_PASSWORD);
    if (first != GetDlgItemText(IDC_USER_PASSWORD_AGAIN)) {
        Message(IDS_NEW_USER_PASSWORD_DIFF, MB_ICONEXCLAMATION);
        SetDlgItemText(IDC_USER_PASSWORD, "");
        SetDlgItemText(IDC_USER_PASSWORD_AGAIN, "");
        FocusControl(IDC_USER_PASSWORD);
        return;
    }
    userName = name;
    password = first;
    readOnly = IsDlgButtonChecked(IDC_USER_READ_ONLY);
    Finish(IDOK);
}
