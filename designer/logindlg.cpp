#include "designer/logindlg.h"

#include "accounts/accountfile.h"
#include "accounts/settingnames.h"
#include "ahcommon/packet.h"
#include "designer/menufileaccess.h"
#include "framework/winapp.h"
#include "lang/resource.h"

#include <commctrl.h>

#include <cstdio>

namespace {

const size_t kMaxItemKey = 9;

}  // namespace

std::string EncodeRememberedKey(const std::string& key)
{
    if (key.empty()) return std::string();
    CDesCipher cipher;
    return Bit8ToBit16(cipher.encipherPaddedString(kProgramKey, key));
}

std::string DecodeRememberedKey(std::string value)
{
    if (value.size() % 2 != 0) value.pop_back();
    if (value.empty()) return std::string();
    CDesCipher cipher;
    std::string text;
    if (!cipher.decipherPaddedString(kProgramKey, Bit16ToBit8(value), text)) return std::string();
    return text;
}

CLoginDlg::CLoginDlg(CDialogHost& host) : CHostedDialog(IDD_LOGIN, host, true) {}

void CLoginDlg::SetFocusTo(int id)
{
    m_initialFocus = id;
    FocusControl(id);
}

BOOL CLoginDlg::OnInitDialog()
{
    CWinApp& settings = m_host.settings();
    m_initialFocus = 0;

    const int minutes = ClampMinutes(static_cast<int>(settings.GetProfileInt(settings::kSection, settings::kAutoLogoutMinutes, 0)));
    m_host.setAutoLogoutMinutes(minutes);
    m_minutesEdit.SubclassDlgItem(IDC_LOGIN_MINUTES, m_hWnd);
    char text[16];
    std::snprintf(text, sizeof text, "%2i", minutes);
    m_minutesEdit.SetMask("00", "__", text);
    HWND spin = GetDlgItem(IDC_LOGIN_MINUTES_SPIN);
    SendMessageA(spin, UDM_SETRANGE32, 0, 99);
    SendMessageA(spin, UDM_SETBASE, 10, 0);
    SendMessageA(spin, UDM_SETPOS32, 0, minutes);
    // The spin writes its buddy without padding; keep the field's own form.
    SetDlgItemText(IDC_LOGIN_MINUTES, text);

    const std::string file = settings.GetProfileString(settings::kSection, settings::kFile, "");
    if (!file.empty() && FillMenuList(file, false)) {
        SetDlgItemText(IDC_LOGIN_FILE, file);
        const std::string stored = settings.GetProfileString(settings::kSection, settings::kMenuName, "");
        HWND list = GetDlgItem(IDC_LOGIN_MENU_LIST);
        const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        int found = -1;
        if (count == 1) {
            found = 0;
        } else {
            for (int i = 0; i < count && found < 0; ++i) {
                const int length = static_cast<int>(SendMessageA(list, LB_GETTEXTLEN, i, 0));
                std::string name(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
                SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&name[0]));
                name.resize(static_cast<size_t>(length > 0 ? length : 0));
                if (name == stored) found = i;
            }
        }
        if (found >= 0) {
            SendMessageA(list, LB_SETCURSEL, found, 0);
            SetFocusTo(IDC_LOGIN_USER);
        } else {
            SetFocusTo(IDC_LOGIN_MENU_LIST);
        }
    } else {
        SetFocusTo(IDC_LOGIN_BROWSE);
    }

    SetDlgItemText(IDC_LOGIN_USER, settings.GetProfileString(settings::kSection, settings::kUser, ""));
    const std::string storedPassword = settings.GetProfileString(settings::kSection, settings::kPassword, "");
    if (!storedPassword.empty()) SetDlgItemText(IDC_LOGIN_PASSWORD, storedPassword);
    const std::string des = settings.GetProfileString(settings::kSection, settings::kItemKey, "");
    if (!des.empty()) SetDlgItemText(IDC_LOGIN_ITEM_KEY, DecodeRememberedKey(des));

    CheckDlgButton(IDC_LOGIN_REMEMBER_KEY, settings.GetProfileInt(settings::kSection, settings::kRememberKey, 0) != 0);
    CheckDlgButton(IDC_LOGIN_REMEMBER_PASSWORD, settings.GetProfileInt(settings::kSection, settings::kRemember, 0) != 0);
    CheckDlgButton(IDC_LOGIN_AUTO_ENTER, settings.GetProfileInt(settings::kSection, settings::kAutoEnter, 0) != 0);

    if (m_host.takeDecryptFailed()) SetFocusTo(IDC_LOGIN_ITEM_KEY);
    // The user name was filled after it got the focus: select it again.
    if (m_initialFocus == IDC_LOGIN_USER) FocusControl(IDC_LOGIN_USER);
    return FALSE;
}

bool CLoginDlg::FillMenuList(const std::string& path, bool showFailure)
{
    CAccountFile accounts;
    if (!accounts.load(path)) {
        if (showFailure) Message(IDS_LOAD_FILE_FAILED, MB_ICONERROR, path);
        return false;
    }
    HWND list = GetDlgItem(IDC_LOGIN_MENU_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < accounts.recordCount(); ++i) {
        CAccountRecord* record = accounts.recordAt(i);
        if (record != nullptr) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(record->menuName.c_str()));
    }
    accounts.close();
    return true;
}

bool CLoginDlg::PassesOpenTest(const std::string& path)
{
    const OpenTestResult result = TryOpenMenuFile(path);
    if (result == OpenTestResult::Opened) return true;
    Message(OpenTestMessage(result), MB_ICONERROR);
    return false;
}

void CLoginDlg::OnBrowse()
{
    std::string path = m_host.loggedIn() ? m_host.currentLogin().file
                                         : m_host.settings().GetProfileString(settings::kSection, settings::kFile, "");
    path = m_host.resolveModuleRelative(path);
    if (!m_host.chooseMenuFile(m_hWnd, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, path)) return;
    if (!PassesOpenTest(path)) return;
    if (!FillMenuList(path, true)) return;
    HWND list = GetDlgItem(IDC_LOGIN_MENU_LIST);
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    FocusControl(SendMessageA(list, LB_GETCOUNT, 0, 0) == 1 ? IDC_LOGIN_USER : IDC_LOGIN_MENU_LIST);
    SetDlgItemText(IDC_LOGIN_FILE, m_host.toModuleRelative(path));
}

void CLoginDlg::OnRememberKeyClicked()
{
    if (!IsDlgButtonChecked(IDC_LOGIN_REMEMBER_KEY)) return;
    if (Message(IDS_ASK_REMEMBER_KEY, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) != IDOK)
        CheckDlgButton(IDC_LOGIN_REMEMBER_KEY, false);
}

void CLoginDlg::OnAutoEnterClicked()
{
    m_host.settings().WriteProfileInt(settings::kSection, settings::kAutoEnter, IsDlgButtonChecked(IDC_LOGIN_AUTO_ENTER) ? 1 : 0);
}

bool CLoginDlg::OnCommand(UINT id, UINT code, HWND)
{
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_LOGIN_BROWSE:
        OnBrowse();
        return true;
    case IDC_LOGIN_REMEMBER_KEY:
        OnRememberKeyClicked();
        return true;
    case IDC_LOGIN_AUTO_ENTER:
        OnAutoEnterClicked();
        return true;
    default:
        return false;
    }
}

int CLoginDlg::SpinPosition() const
{
    return MinutesFromText(GetDlgItemText(IDC_LOGIN_MINUTES));
}

void CLoginDlg::OnOK()
{
    const std::string path = m_host.resolveModuleRelative(GetDlgItemText(IDC_LOGIN_FILE));
    if (!PassesOpenTest(path)) return;

    HWND list = GetDlgItem(IDC_LOGIN_MENU_LIST);
    const int selected = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    if (SendMessageA(list, LB_GETCOUNT, 0, 0) <= 0 || selected == LB_ERR) {
        Message(IDS_NO_MENU_SELECTED, MB_ICONINFORMATION);
        return;
    }
    const int length = static_cast<int>(SendMessageA(list, LB_GETTEXTLEN, selected, 0));
    std::string menu(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(&menu[0]));
    menu.resize(static_cast<size_t>(length > 0 ? length : 0));

    CAccountFile accounts;
    if (!accounts.load(path)) {
        Message(IDS_LOAD_FILE_FAILED, MB_ICONERROR, path);
        return;
    }
    if (!accounts.findRecord(menu)) {
        accounts.close();
        SetDlgItemText(IDC_LOGIN_FILE, "");
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        Message(IDS_MENU_NOT_FOUND, MB_ICONERROR);
        return;
    }
    const std::string user = GetDlgItemText(IDC_LOGIN_USER);
    const std::string pass = GetDlgItemText(IDC_LOGIN_PASSWORD);
    if (!accounts.select(menu, user, pass)) {
        accounts.close();
        Message(IDS_LOGIN_REFUSED, MB_ICONERROR);
        FocusControl(IDC_LOGIN_USER);
        return;
    }
    accounts.close();

    const std::string key = GetDlgItemText(IDC_LOGIN_ITEM_KEY);
    if (key.size() > kMaxItemKey) {
        Message(IDS_ITEM_KEY_TOO_LONG, MB_ICONINFORMATION);
        FocusControl(IDC_LOGIN_ITEM_KEY);
        return;
    }

    filePath = m_host.toModuleRelative(path);
    menuName = menu;
    userName = user;
    password = pass;
    itemKey = key;

    CWinApp& settings = m_host.settings();
    const int minutes = SpinPosition();
    settings.WriteProfileString(settings::kSection, settings::kFile, filePath.c_str());
    settings.WriteProfileString(settings::kSection, settings::kMenuName, menuName.c_str());
    settings.WriteProfileString(settings::kSection, settings::kUser, userName.c_str());
    const bool rememberPassword = IsDlgButtonChecked(IDC_LOGIN_REMEMBER_PASSWORD);
    const bool rememberKey = IsDlgButtonChecked(IDC_LOGIN_REMEMBER_KEY);
    settings.WriteProfileInt(settings::kSection, settings::kRemember, rememberPassword ? 1 : 0);
    settings.WriteProfileInt(settings::kSection, settings::kRememberKey, rememberKey ? 1 : 0);
    settings.WriteProfileInt(settings::kSection, settings::kAutoLogoutMinutes, minutes);
    m_host.setAutoLogoutMinutes(minutes);
    settings.WriteProfileString(settings::kSection, settings::kPassword, rememberPassword ? password.c_str() : nullptr);
    const std::string des = rememberKey ? EncodeRememberedKey(itemKey) : std::string();
    settings.WriteProfileString(settings::kSection, settings::kItemKey, des.empty() ? nullptr : des.c_str());
    Finish(IDOK);
}
