#include "accounts/hosteddialog.h"

#include "accounts/settingnames.h"
#include "ahcommon/ahsystem.h"
#include "framework/winapp.h"

CHostedDialog::CHostedDialog(UINT templateId, CDialogHost& host, bool animate)
    : CDialog(templateId), m_host(host), m_animate(animate)
{
}

int CHostedDialog::Message(UINT stringId, UINT style, const std::string& first, const std::string& second)
{
    return m_host.showMessage(m_hWnd, stringId, style, first, second);
}

void CHostedDialog::FocusControl(int id)
{
    HWND control = GetDlgItem(id);
    if (control == nullptr) return;
    SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    char className[16] = {};
    GetClassNameA(control, className, sizeof className);
    if (lstrcmpiA(className, "Edit") == 0) SendMessageA(control, EM_SETSEL, 0, -1);
}

void CHostedDialog::Finish(INT_PTR result)
{
    if (m_hWnd == nullptr) return;
    m_host.dialogClosing(m_hWnd, m_animate);
    EndDialog(result);
}

void CHostedDialog::OnCancel()
{
    Finish(IDCANCEL);
}

BOOL CHostedDialog::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message == WM_SHOWWINDOW && wParam != 0) {
        m_host.dialogShown(m_hWnd, m_animate);
        result = 0;
        return FALSE;  // the default handling still runs
    }
    return FALSE;
}

std::string FormatStringResource(UINT stringId, const std::string& first, const std::string& second)
{
    std::string text;
    AhLoadString(stringId, text);
    const std::string* args[2] = {&first, &second};
    size_t from = 0;
    for (const std::string* arg : args) {
        const size_t at = text.find("%s", from);
        if (at == std::string::npos) break;
        text.replace(at, 2, *arg);
        from = at + arg->size();
    }
    return text;
}

void LoggedInAccountChanged(CDialogHost& host, const std::string& user, const std::string& password)
{
    const LoginValues login = host.currentLogin();
    CWinApp& settings = host.settings();
    // The settings keep the file relative to the program folder; the login
    // may hold it either way.
    const std::string rememberedFile = host.resolveModuleRelative(settings.GetProfileString(settings::kSection, settings::kFile, ""));
    const std::string loginFile = host.resolveModuleRelative(login.file);
    const bool remembered = !rememberedFile.empty() && lstrcmpiA(rememberedFile.c_str(), loginFile.c_str()) == 0 &&
                            settings.GetProfileString(settings::kSection, settings::kMenuName, "") == login.menuName &&
                            settings.GetProfileString(settings::kSection, settings::kUser, "") == login.user;
    if (remembered) {
        settings.WriteProfileString(settings::kSection, settings::kUser, user.c_str());
        if (settings.GetProfileInt(settings::kSection, settings::kRemember, 0) != 0)
            settings.WriteProfileString(settings::kSection, settings::kPassword, password.c_str());
    }
    host.setLoginAccount(user, password);
}
