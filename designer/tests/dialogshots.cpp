// Saves a picture of the login, menu and user dialogs for the user guide:
//   dialogshots LANGUAGE.dll FOLDER
// writes FOLDER\<dialog>.bmp with the dialogs filled in with sample values.
#include "accounts/accountfile.h"
#include "accounts/usersdlg.h"
#include "ahcommon/ahsystem.h"
#include "designer/changepassworddlg.h"
#include "designer/logindlg.h"
#include "designer/newmenufiledlg.h"
#include "designer/tests/windowpicture.h"
#include "framework/controls.h"
#include "framework/winapp.h"
#include "lang/resource.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

const char kCompany[] = "Vantrel Dialog Pictures";

class PictureHost : public CDialogHost {
public:
    CWinApp& settings() override { return m_app; }
    std::string toModuleRelative(const std::string& path) const override { return path; }
    std::string resolveModuleRelative(const std::string& path) const override { return path; }
    bool loggedIn() const override { return true; }
    LoginValues currentLogin() const override { return login; }
    void setLoginAccount(const std::string&, const std::string&) override {}
    bool takeDecryptFailed() override { return false; }
    void setAutoLogoutMinutes(int) override {}
    HICON programIcon() const override { return nullptr; }
    int showMessage(HWND, UINT, UINT, const std::string&, const std::string&) override { return IDOK; }
    void dialogShown(HWND dialog, bool) override
    {
        s_window = dialog;
        SetTimer(nullptr, 0, 600, &PictureHost::Take);
    }
    void dialogClosing(HWND, bool) override {}

    LoginValues login;
    static std::string s_path;
    static std::function<void(HWND)> s_fill;

private:
    static void CALLBACK Take(HWND, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(nullptr, id);
        if (s_fill) s_fill(s_window);
        RedrawWindow(s_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Sleep(300);
        if (!SaveWindowPicture(s_window, s_path)) std::fprintf(stderr, "cannot save %s\n", s_path.c_str());
        PostMessageA(s_window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    static HWND s_window;
    CWinApp m_app{"DialogPictures"};
};

std::string PictureHost::s_path;
std::function<void(HWND)> PictureHost::s_fill;
HWND PictureHost::s_window = nullptr;

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: dialogshots LANGUAGE.dll FOLDER\n");
        return 2;
    }
    HMODULE language = LoadLibraryA(argv[1]);
    if (language == nullptr) return 1;
    SetResourceModule(language);
    AhSetResourceHandle(language);
    InitCommonControlsOnce();
    const std::string folder = std::string(argv[2]) + "\\";

    PictureHost host;
    host.settings().SetRegistryKey(kCompany);
    const std::string file = folder + "sample.vn";
    {
        CAccountFile accounts;
        accounts.create(file, "Office");
        accounts.addRecord("Support", std::string());
        accounts.findRecord("Office");
        accounts.addUser("bob", "", "r");
        accounts.addUser("carol", "", "rw");
        accounts.save();
    }
    host.login = {file, "Office", "admin", "", ""};
    CWinApp& settings = host.settings();
    settings.WriteProfileString("Settings", "File", "menus\\sample.vn");
    settings.WriteProfileString("Settings", "Vantrel", "Office");
    settings.WriteProfileString("Settings", "User", "admin");
    settings.WriteProfileInt("Settings", "AutoLogoutMin", 30);
    settings.WriteProfileInt("Settings", "AutoEnter", 1);

    auto shoot = [&](const char* name, std::function<void()> run, std::function<void(HWND)> fill = nullptr) {
        PictureHost::s_path = folder + name + ".bmp";
        PictureHost::s_fill = std::move(fill);
        run();
    };
    CLoginDlg login(host);
    settings.WriteProfileString("Settings", "File", file.c_str());
    shoot("login", [&] { login.DoModal(nullptr); },
          [](HWND d) { SetDlgItemTextA(d, IDC_LOGIN_FILE, "menus\\sample.vn"); SetDlgItemTextA(d, IDC_LOGIN_PASSWORD, "secret"); });
    CNewMenuFileDlg newMenu(host);
    shoot("new-menu", [&] { newMenu.DoModal(nullptr); },
          [](HWND d) { SetDlgItemTextA(d, IDC_NEWFILE_PATH, "C:\\Menus\\team.vn"); SetDlgItemTextA(d, IDC_NEWFILE_MENU_NAME, "Team"); });
    CChangePasswordDlg change(host);
    shoot("change-password", [&] { change.DoModal(nullptr); });
    CUsersDlg users(host);
    shoot("users", [&] { users.Run(nullptr); });
    shoot("new-user", [&] { users.newUserDialog.DoModal(nullptr); },
          [](HWND d) { SetDlgItemTextA(d, IDC_USER_NAME, "dave"); CheckDlgButton(d, IDC_USER_READ_ONLY, BST_CHECKED); });
    users.propertiesDialog.userName = "bob";
    users.propertiesDialog.readOnly = true;
    shoot("user-properties", [&] { users.propertiesDialog.DoModal(nullptr); });
    users.passwordDialog.userName = "carol";
    shoot("set-password", [&] { users.passwordDialog.DoModal(nullptr); });

    DeleteFileA(file.c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\") + kCompany).c_str());
    return 0;
}
