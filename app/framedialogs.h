// The tray menu's dialogs (login, new menu, users, change password) and the
// delete-menu command, held by the main frame. It is also what the dialogs
// see of the program: settings, login values, messages, the tray animation.
#pragma once

#include "accounts/dialoghost.h"
#include "accounts/usersdlg.h"
#include "designer/changepassworddlg.h"
#include "designer/logindlg.h"
#include "designer/newmenufiledlg.h"

class CMainFrame;

class CFrameDialogs : public CDialogHost {
public:
    explicit CFrameDialogs(CMainFrame& frame);

    // The frame's commands. Each brings its dialog to the top when it is
    // already open.
    void OnLogin();
    void OnNewFile();
    void OnUsers();
    void OnChangePassword();
    void OnDeleteMenu();

    CWinApp& settings() override;
    std::string toModuleRelative(const std::string& path) const override;
    std::string resolveModuleRelative(const std::string& path) const override;
    bool loggedIn() const override;
    LoginValues currentLogin() const override;
    void setLoginAccount(const std::string& user, const std::string& password) override;
    bool takeDecryptFailed() override;
    void setAutoLogoutMinutes(int minutes) override;
    HICON programIcon() const override;
    int showMessage(HWND owner, UINT stringId, UINT style, const std::string& first,
                    const std::string& second) override;
    void dialogShown(HWND dialog, bool animate) override;
    void dialogClosing(HWND dialog, bool animate) override;

    CLoginDlg loginDialog;
    CNewMenuFileDlg newFileDialog;
    CUsersDlg usersDialog;
    CChangePasswordDlg changePasswordDialog;

private:
    HWND FrameWindow() const;

    CMainFrame& m_frame;
};
