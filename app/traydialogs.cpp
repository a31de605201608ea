#include "app/traydialogs.h"

#include "accounts/accountfile.h"
#include "app/mainframe.h"
#include "app/trayarea.h"
#include "app/vantrelapp.h"
#include "lang/resource.h"

namespace {

// The flight between the notification area and a dialog. The dialog keeps
// its owner, the frame: the frame finds its open dialog through it.
void FlyBetweenTrayAndWindow(HWND window, bool toTray)
{
    ANIMATIONINFO animation = {sizeof animation, 0};
    if (!SystemParametersInfoA(SPI_GETANIMATION, sizeof animation, &animation, 0) || animation.iMinAnimate == 0)
        return;
    RECT tray, frame;
    trayAreaRect(tray);
    if (!GetWindowRect(window, &frame)) return;
    DrawAnimatedRects(window, IDANI_CAPTION, toTray ? &frame : &tray, toTray ? &tray : &frame);
}

}  // namespace

CTrayDialogs::CTrayDialogs(CMainFrame& frame)
    : loginDialog(*this), newFileDialog(*this), designer(*this), usersDialog(*this), changePasswordDialog(*this), m_frame(frame)
{
}

HWND CTrayDialogs::FrameWindow() const
{
    return m_frame.m_hWnd;
}

void CTrayDialogs::OnLogin()
{
    CVantrelApp* app = VantrelApp();
    if (app == nullptr) return;
    if (loginDialog.IsOpen()) {
        loginDialog.BringToTop();
        return;
    }
    if (app->loggedIn.load()) {
        m_frame.requestLogout();
        return;
    }
    if (loginDialog.DoModal(FrameWindow()) != IDOK) return;
    app->loginFile = loginDialog.filePath;
    app->loginMenuName = loginDialog.menuName;
    app->loginUser = loginDialog.userName;
    app->loginPassword = loginDialog.password;
    app->loginKey = loginDialog.itemKey;
    m_frame.requestLogin();
}

void CTrayDialogs::OnNewFile()
{
    newFileDialog.DoModal(FrameWindow());
}

void CTrayDialogs::OnOpenDesigner()
{
    if (designer.IsOpen()) {
        designer.BringToTop();
        return;
    }
    if (!loggedIn()) return;
    designer.DoModal(FrameWindow());
}

void CTrayDialogs::OnUsers()
{
    usersDialog.Run(FrameWindow());
}

void CTrayDialogs::OnChangePassword()
{
    changePasswordDialog.DoModal(FrameWindow());
}

void CTrayDialogs::OnDeleteMenu()
{
    const LoginValues login = currentLogin();
    if (showMessage(FrameWindow(), IDS_ASK_DELETE_MENU, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2, login.file,
                    login.menuName) != IDOK)
        return;
    CAccountFile accounts;
    bool deleted = accounts.loadForUpdate(login.file) && accounts.select(login.menuName, login.user, login.password);
    if (deleted) {
        // Deleting goes by name ignoring case: make sure the first such
        // record is the one logged in to, never another menu.
        CAccountRecord* selected = accounts.currentRecord();
        for (int i = 0; i < accounts.recordCount(); ++i) {
            CAccountRecord* record = accounts.recordAt(i);
            if (record != nullptr && lstrcmpiA(record->menuName.c_str(), login.menuName.c_str()) == 0) {
                deleted = record == selected;
                break;
            }
        }
    }
    deleted = deleted && accounts.deleteRecord(login.menuName) && accounts.save();
    accounts.close();
    if (!deleted) {
        showMessage(FrameWindow(), IDS_UPDATE_FILE_FAILED, MB_OK, login.file, std::string());
        return;
    }
    m_frame.requestLogout();
}

CWinApp& CTrayDialogs::settings()
{
    return *VantrelApp();
}

std::string CTrayDialogs::toModuleRelative(const std::string& path) const
{
    return VantrelApp()->toModuleRelative(path);
}

std::string CTrayDialogs::resolveModuleRelative(const std::string& path) const
{
    return VantrelApp()->resolveModuleRelative(path);
}

bool CTrayDialogs::loggedIn() const
{
    return VantrelApp()->loggedIn.load() != 0;
}

LoginValues CTrayDialogs::currentLogin() const
{
    const CVantrelApp* app = VantrelApp();
    return {app->loginFile, app->loginMenuName, app->loginUser, app->loginPassword, app->loginKey};
}

// Only the user-interface thread writes the login values while no login
// request is under way; the worker reads them when it handles one.
void CTrayDialogs::setLoginAccount(const std::string& user, const std::string& password)
{
    CVantrelApp* app = VantrelApp();
    app->loginUser = user;
    app->loginPassword = password;
}

bool CTrayDialogs::takeDecryptFailed()
{
    return VantrelApp()->decryptFailed.exchange(0) != 0;
}

void CTrayDialogs::setAutoLogoutMinutes(int minutes)
{
    VantrelApp()->autoLogoutMinutes = minutes;
}

HICON CTrayDialogs::programIcon() const
{
    return VantrelApp()->appIcon;
}

int CTrayDialogs::showMessage(HWND owner, UINT stringId, UINT style, const std::string& first,
                               const std::string& second)
{
    const std::string text = FormatStringResource(stringId, first, second);
    return MessageBoxA(owner, text.c_str(), VantrelApp()->m_appName.c_str(), style);
}

void CTrayDialogs::dialogShown(HWND dialog, bool animate)
{
    if (animate) FlyBetweenTrayAndWindow(dialog, false);
}

void CTrayDialogs::dialogClosing(HWND dialog, bool animate)
{
    if (animate) FlyBetweenTrayAndWindow(dialog, true);
}

void CTrayDialogs::reloadMenus()
{
    m_frame.requestLogin();
}
