#include "accounts/userpropertiesdlg.h"

#include "accounts/newuserdlg.h"
#include "lang/resource.h"

CUserPropertiesDlg::CUserPropertiesDlg(CDialogHost& host) : CHostedDialog(IDD_USER_PROPERTIES, host, false) {}

BOOL CUserPropertiesDlg::OnInitDialog()
{
    SetDlgItemText(IDC_USER_NAME, userName);
    CheckDlgButton(IDC_USER_READ_ONLY, readOnly);
    return TRUE;
}

void CUserPropertiesDlg::OnOK()
{
    const std::string name = GetDlgItemText(IDC_USER_NAME);
    if (name.size() < kMinUserNameLength) {
        Message(IDS_USER_NAME_TOO_SHORT, MB_ICONINFORMATION);
        FocusControl(IDC_USER_NAME);
        return;
    }
    userName = name;
    readOnly = IsDlgButtonChecked(IDC_USER_READ_ONLY);
    Finish(IDOK);
}
