#include "designer/changepassworddlg.h"

#include "accounts/accountfile.h"
#include "lang/resource.h"

CChangePasswordDlg::CChangePasswordDlg(CDialogHost& host) : CHostedDialog(IDD_CHANGE_PASSWORD, host, true) {}

void CChangePasswordDlg::OnOK()
{
    const std::string newPassword = GetDlgItemText(IDC_NEW_PASSWORD);
    if (newPassword != GetDlgItemText(IDC_CONFIRM_PASSWORD)) {
        Message(IDS_PASSWORD_DIFF, MB_ICONINFORMATION);
        FocusControl(IDC_NEW_PASSWORD);
        return;
    }
    const LoginValues login = m_host.currentLogin();
    CAccountFile accounts;
    if (!accounts.loadForUpdate(login.file) || !accounts.select(login.menuName, login.user, login.password) ||
        !accounts.changePassword(login.user, login.password, newPassword) || !accounts.save()) {
        accounts.close();
        Message(IDS_UPDATE_FILE_FAILED, MB_OK, login.file);
        return;
    }
    accounts.close();
    LoggedInAccountChanged(m_host, login.user, newPassword);
    Finish(IDOK);
}
