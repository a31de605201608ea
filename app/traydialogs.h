// The tray menu's dialogs (login, new menu, designer, users, change
// password) and the delete-menu command, held by the main frame. It is also
// what the dialogs see of the program: settings, login values, messages,
// the tray animation and the worker's reload after the designer saved.
#pragma once

#include "accounts/dialoghost.h"
#include "accounts/usersdlg.h"
#include "designer/changepassworddlg.h"
#include "designer/designerdlg.h"
#include "designer/designerhost.h"
#include "designer/logindlg.h"
#include "designer/newmenufiledlg.h"

class CMainFrame;

class CTrayDialogs : public CDialogHost, public CDesignerHost {
public:
    explicit CTrayDialogs(CMainFrame& frame);

    // The frame's commands. Each brings its dialog to the top when it is
    // already open.
    void OnLogin();
    void OnNewFile();
    // Only a login with write rights edits its menu; the designer itself
    // refuses one whose menu it cannot read or whose user may not write.
    void OnOpenDesigner();
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
    void reloadMenus() override;

    CLoginDlg loginDialog;
    CNewMenuFileDlg newFileDialog;
    CDesignerDlg designer;
    CUsersDlg usersDialog;
    CChangePasswordDlg changePasswordDialog;

private:
    HWND FrameWindow() const;

    CMainFrame& m_frame;
};
