#include "designer/newmenufiledlg.h"

#include "accounts/accountfile.h"
#include "accounts/settingnames.h"
#include "designer/menufileaccess.h"
#include "framework/winapp.h"
#include "lang/resource.h"

CNewMenuFileDlg::CNewMenuFileDlg(CDialogHost& host) : CHostedDialog(IDD_NEW_MENU_FILE, host, true) {}

BOOL CNewMenuFileDlg::OnInitDialog()
{
    m_createFile = false;
    SetDlgItemText(IDC_NEWFILE_MENU_NAME, "Vantrel");
    SetDlgItemText(IDC_NEWFILE_USER, "admin");
    return TRUE;
}

bool CNewMenuFileDlg::OnCommand(UINT id, UINT code, HWND)
{
    if (id != IDC_NEWFILE_BROWSE || code != BN_CLICKED) return false;
    OnBrowse();
    return true;
}

void CNewMenuFileDlg::OnBrowse()
{
    std::string path = m_host.loggedIn() ? m_host.currentLogin().file
                                         : m_host.settings().GetProfileString(settings::kSection, settings::kFile, "");
    path = m_host.resolveModuleRelative(path);
    if (m_host.chooseMenuFile(m_hWnd, OFN_PATHMUSTEXIST | OFN_HIDEREADONLY, path))
        SetDlgItemText(IDC_NEWFILE_PATH, path);
}

bool CNewMenuFileDlg::PassesOpenTest(const std::string& path)
{
    const OpenTestResult result = TryOpenMenuFile(path);
    if (result == OpenTestResult::Opened) return true;
    if (result == OpenTestResult::NotFound) {
        if (Message(IDS_ASK_CREATE_FILE, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return false;
        m_createFile = true;
        return true;
    }
    Message(OpenTestMessage(result), MB_ICONERROR);
    return false;
}

void CNewMenuFileDlg::OnOK()
{
    // Decided afresh each time: an earlier answer about another path must
    // never truncate the file named now.
    m_createFile = false;
    const std::string path = GetDlgItemText(IDC_NEWFILE_PATH);
    if (!PassesOpenTest(path)) return;

    const std::string menuName = GetDlgItemText(IDC_NEWFILE_MENU_NAME);
    if (menuName.empty()) {
        Message(IDS_MENU_NAME_EMPTY, MB_ICONINFORMATION);
        FocusControl(IDC_NEWFILE_MENU_NAME);
        return;
    }
    const std::string userName = GetDlgItemText(IDC_NEWFILE_USER);
    if (userName.empty()) {
        Message(IDS_USER_NAME_EMPTY, MB_ICONINFORMATION);
        FocusControl(IDC_NEWFILE_USER);
        return;
    }
    const std::string password = GetDlgItemText(IDC_NEWFILE_PASSWORD);
    if (password.empty() && Message(IDS_ASK_EMPTY_PASSWORD, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
        FocusControl(IDC_NEWFILE_PASSWORD);
        return;
    }

    CAccountFile accounts;
    if (m_createFile) {
        if (!accounts.create(path, menuName)) {
            Message(IDS_CREATE_FILE_FAILED, MB_ICONERROR);
            return;
        }
    } else {
        if (!accounts.loadForUpdate(path)) {
            Message(IDS_LOAD_FILE_FAILED, MB_ICONERROR, path);
            return;
        }
        if (accounts.findRecord(menuName)) {
            accounts.close();
            Message(IDS_MENU_EXISTS, MB_ICONERROR);
            FocusControl(IDC_NEWFILE_MENU_NAME);
            return;
        }
        accounts.addRecord(menuName, std::string());
    }
    accounts.changePassword("admin", "", password, userName.c_str());
    if (!accounts.save()) {
        accounts.close();
        Message(IDS_UPDATE_FILE_FAILED, MB_OK, path);
        return;
    }
    accounts.close();
    Message(IDS_MENU_CREATED, MB_OK);
    Finish(IDOK);
}
