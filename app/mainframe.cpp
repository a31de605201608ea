#include "app/mainframe.h"

#include "accounts/settingnames.h"
#include "ahcommon/ahsystem.h"
#include "app/appmessages.h"
#include "app/popupsearch.h"
#include "app/splashwnd.h"
#include "app/vantrelapp.h"
#include "framework/cmdui.h"
#include "framework/helpopener.h"
#include "framework/helppages.h"
#include "lang/resource.h"

namespace {

const int kMaxForegroundRetries = 20;

// The hook library's entry points, in the order they are looked up.
const char* const kHookEntryPoints[14] = {
    "GetCurrentPopupMenu", "GetCurrentVantrel", "HideVantrel",     "InitializeVantrel", "InstallMenu",
    "GetMsgProc",          "DestroyVantrel",    "ShowVantrel",     "EnableMenu",        "DetachPopupMenu",
    "MyMsgProcess",        "AttachPopupMenu",   "GetUserPopupMenu", "GetSysPopupMenu"};

}  // namespace

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame()
{
    ReleaseEngine();
}

bool CMainFrame::Create()
{
    const RECT none = {0, 0, 0, 0};
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_NOPARENTNOTIFY, RegisterWndClass(CS_HREDRAW), "CMainFrame",
                    WS_MINIMIZE, none, nullptr, 0) != FALSE;
}

int CMainFrame::OnCreate()
{
    CVantrelApp* app = VantrelApp();
    if (app == nullptr) return -1;

    m_menusEnabled = app->GetProfileInt(settings::kSection, settings::kEnable, 1) != 0 ? 1 : 0;
    m_wakeMessage = MSG{};

    m_messageWindow.Create();
    m_messageWindow.setOwner(this, &app->engineReady);

    m_hookLibrary = LoadLibraryA("VantrelHK.dll");
    if (m_hookLibrary == nullptr) return -1;
    FARPROC procs[14];
    for (int i = 0; i < 14; ++i) procs[i] = GetProcAddress(m_hookLibrary, kHookEntryPoints[i]);
    m_installMenuProc = reinterpret_cast<HookSwitchProc>(reinterpret_cast<void*>(procs[4]));
    m_enableMenuProc = reinterpret_cast<HookSwitchProc>(reinterpret_cast<void*>(procs[8]));
    int other = 0;
    for (int i = 0; i < 14; ++i)
        if (i != 4 && i != 8) m_otherHookProcs[other++] = procs[i];
    // Without the two entry points the program calls, the library is of no use.
    if (m_installMenuProc == nullptr || m_enableMenuProc == nullptr) return -1;
    {
        CAhLock guard(m_menuAreaLock);
        m_menuAreaProc = reinterpret_cast<MenuAreaProc>(
            reinterpret_cast<void*>(GetProcAddress(m_hookLibrary, "SetMenuArea")));
    }

    CSplashWnd::ShowSplashScreen(nullptr);

    m_trayIcon.SetNotificationWnd(this);
    if (!m_trayIcon.Create(this, FM_TRAY_NOTIFY, "Vantrel", app->appIcon, IDR_TRAY_MENU, false)) return -1;

    m_processThread.setOwner(this);
    m_processThread.setMinuteMilliseconds(app->idleMinuteMilliseconds);
    if (!m_processThread.Open()) return -1;
    m_workerStarted = true;
    m_processThread.WaitRunning();
    if (!m_processThread.GetRunning()) return -1;
    m_hookEventQueue.setWakeThread(m_processThread.threadId());
    return 0;
}

void CMainFrame::startHookReports()
{
    if (m_installMenuProc != nullptr) m_installMenuProc(1, m_messageWindow.m_hWnd);
    if (m_menusEnabled == 0 && m_enableMenuProc != nullptr) m_enableMenuProc(0, m_messageWindow.m_hWnd);
    m_reportsOn = m_menusEnabled != 0;
}

void CMainFrame::enqueueHookEvent(const HookMouseEvent& event)
{
    m_hookEventQueue.enqueue(event);
}

void CMainFrame::setMenuArea(const RECT* rects, int count)
{
    CAhLock guard(m_menuAreaLock);
    if (m_menuAreaProc != nullptr) m_menuAreaProc(rects, count);
}

bool CMainFrame::dequeueHookEvent(HookMouseEvent& event)
{
    return m_hookEventQueue.dequeue(event);
}

void CMainFrame::ReleaseEngine()
{
    m_reportsOn = false;
    if (m_installMenuProc != nullptr) {
        m_installMenuProc(0, nullptr);
        m_installMenuProc = nullptr;
    }
    m_enableMenuProc = nullptr;
    {
        CAhLock guard(m_menuAreaLock);
        m_menuAreaProc = nullptr;
    }
    for (FARPROC& proc : m_otherHookProcs) proc = nullptr;
    if (m_hookLibrary != nullptr) {
        FreeLibrary(m_hookLibrary);
        m_hookLibrary = nullptr;
    }
    if (m_messageWindow.m_hWnd != nullptr) m_messageWindow.DestroyWindow();
    if (m_workerStarted) {
        m_processThread.stop();
        m_workerStarted = false;
    }
    m_hookEventQueue.setWakeThread(0);
    m_hookEventQueue.freeAll();
    CSplashWnd::HideSplashScreen();
}

void CMainFrame::OnClose()
{
    if (m_closing) return;
    m_closing = true;
    ReleaseEngine();
    PostMessageA(m_hWnd, FM_FINISH_CLOSE, 0, 0);
}

void CMainFrame::OnFinishClose()
{
    m_trayIcon.RemoveIcon();
    DestroyWindow();
}

bool CMainFrame::TakeForeground()
{
    SetForegroundWindow(m_hWnd);
    return GetForegroundWindow() == m_hWnd;
}

bool CMainFrame::BecomeForeground(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (TakeForeground() || m_foregroundRetries >= kMaxForegroundRetries) return true;
    ++m_foregroundRetries;
    // Without the next try nothing would end the request: go on now.
    if (!PostMessageA(m_hWnd, message, wParam, lParam)) return true;
    Sleep(10);
    return false;
}

void CMainFrame::OnSetBusy(bool busy, LPARAM holder)
{
    // An item chosen as the tray menu opens runs beside it: the end of the
    // one must not make the engine ready while the other is still under way,
    // and a choice must not restart the tray menu's tries to come forward.
    const unsigned bit = holder == BUSY_TRAY_MENU ? 2u : 1u;
    if (busy) {
        if (holder == BUSY_TRAY_MENU && (m_busyHolders & bit) == 0) m_foregroundRetries = 0;
        m_busyHolders |= bit;
    } else {
        m_busyHolders &= ~bit;
    }
    if (CVantrelApp* app = VantrelApp()) {
        if (busy)
            app->engineReady = 0;
        else if (m_busyHolders == 0)
            app->engineReady = 1;
    }
}

void CMainFrame::OnTrayMenu(WPARAM position)
{
    // Busy until the menu has closed, however the request came.
    OnSetBusy(true, BUSY_TRAY_MENU);
    // Our own menus go first. The worker may send us messages before it
    // signals, so the wait keeps handling them.
    m_processThread.closeMenusAndWait();
    m_hookEventQueue.dropPending();

    if (!BecomeForeground(FM_TRAY_MENU, position, 0)) return;
    m_foregroundRetries = 0;

    CVantrelApp* app = VantrelApp();
    HMENU popup = app != nullptr ? app->trayPopup.load() : nullptr;
    if (popup != nullptr) {
        const int x = static_cast<short>(LOWORD(position));
        const int y = static_cast<short>(HIWORD(position));
        TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON, x, y, 0, m_hWnd, nullptr);
        // Lets the menu close properly when the user clicks elsewhere.
        PostMessageA(m_hWnd, WM_NULL, 0, 0);
    }
    PostMessageA(m_hWnd, FM_SET_BUSY, 0, BUSY_TRAY_MENU);
}

void CMainFrame::OnActivatePopup(WPARAM wParam, LPARAM lParam)
{
    if (!BecomeForeground(FM_ACTIVATE_POPUP, wParam, lParam)) return;
    m_foregroundRetries = 0;
    MessageBeep(0xFFFFFFFF);
    SetForegroundWindow(lastPopupOf(m_hWnd));
}

void CMainFrame::OnShowNotice(UINT stringId, UINT style)
{
    OnShowMessage(stringId, style);
    PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(ID_LOGIN, 0), 0);
}

void CMainFrame::OnShowMessage(UINT stringId, UINT style)
{
    SetForegroundWindow(m_hWnd);
    AhLoadString(stringId, m_noticeText);
    CVantrelApp* app = VantrelApp();
    MessageBoxA(m_hWnd, m_noticeText.c_str(), app != nullptr ? app->m_appName.c_str() : "Vantrel", style);
}

void CMainFrame::OnEnableMenu()
{
    if (m_enableMenuProc == nullptr) return;
    m_menusEnabled = m_menusEnabled != 0 ? 0 : 1;
    m_enableMenuProc(m_menusEnabled, m_messageWindow.m_hWnd);
    m_reportsOn = m_menusEnabled != 0;
    if (CVantrelApp* app = VantrelApp()) app->WriteProfileInt(settings::kSection, settings::kEnable, m_menusEnabled);
}

void CMainFrame::requestLogin()
{
    CVantrelApp* app = VantrelApp();
    if (app == nullptr) return;
    app->engineReady = 0;
    // Shorter keys are filled up with 0xAB, longer ones cut after 8 bytes.
    app->loginKey.resize(8, static_cast<char>(0xAB));
    PostThreadMessageA(m_processThread.threadId(), TM_LOGIN, 0, 0);
}

void CMainFrame::requestLogout()
{
    CVantrelApp* app = VantrelApp();
    if (app == nullptr) return;
    app->engineReady = 0;
    m_processThread.KillThreadTimer(kTimerIdleLogout, 1);
    OutputDebugStringA("Vantrel logout!");
    PostThreadMessageA(m_processThread.threadId(), TM_LOGOUT, 0, 0);
}

bool CMainFrame::dialogOpen() const
{
    return m_hWnd != nullptr && lastPopupOf(m_hWnd) != m_hWnd;
}

void CMainFrame::OnAbout()
{
    if (m_aboutDialog.IsOpen()) {
        m_aboutDialog.BringToTop();
        return;
    }
    m_aboutDialog.DoModal(m_hWnd);
}

bool CMainFrame::HandlesCommand(UINT id) const
{
    switch (id) {
    case ID_APP_ABOUT:
    case ID_APP_EXIT:
    case ID_ENABLE_MENU:
    case ID_NEW_FILE:
    case ID_OPEN_DESIGNER:
    case ID_LOGIN:
    case ID_USERS:
    case ID_CHANGE_PASSWORD:
    case ID_DELETE_MENU:
    case ID_HELP_FINDER:
    case ID_DEFAULT_HELP:
    case ID_HELP:
        return true;
    default:
        return false;
    }
}

bool CMainFrame::OnUpdateCommand(CCmdUI& ui)
{
    switch (ui.Id()) {
    case ID_ENABLE_MENU:
        ui.Enable(m_enableMenuProc != nullptr);
        ui.SetCheck(m_menusEnabled);
        return true;
    case ID_OPEN_DESIGNER:
        ui.Enable(m_dialogs.loggedIn());
        return true;
    case ID_LOGIN: {
        CVantrelApp* app = VantrelApp();
        std::string text;
        if (AhLoadString(app != nullptr && app->loggedIn.load() ? IDS_MENU_LOGOUT : IDS_MENU_LOGIN, text))
            ui.SetText(text);
        return true;
    }
    default:
        return false;
    }
}

bool CMainFrame::OnCommand(UINT id, UINT, HWND)
{
    switch (id) {
    case ID_APP_EXIT:
        OnClose();
        return true;
    case ID_APP_ABOUT:
        OnAbout();
        return true;
    case ID_ENABLE_MENU:
        OnEnableMenu();
        return true;
    case ID_NEW_FILE:
        m_dialogs.OnNewFile();
        return true;
    case ID_OPEN_DESIGNER:
        m_dialogs.OnOpenDesigner();
        return true;
    case ID_LOGIN:
        m_dialogs.OnLogin();
        return true;
    case ID_USERS:
        m_dialogs.OnUsers();
        return true;
    case ID_CHANGE_PASSWORD:
        m_dialogs.OnChangePassword();
        return true;
    case ID_DELETE_MENU:
        m_dialogs.OnDeleteMenu();
        return true;
    case ID_HELP_FINDER:
    case ID_DEFAULT_HELP:
        ShowHelpContents(m_hWnd);
        return true;
    case ID_HELP:
        ShowHelp(m_hWnd, kHelpContextProgram);
        return true;
    default:
        return false;
    }
}

LRESULT CMainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate();
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // When the session ends the process may end before any posted
        // message would run: stop the hook and the worker now. Where only
        // the program is asked to close (the restart manager, an installer),
        // the process lives on and must end, or its single-instance mutex
        // would keep every later start away.
        if (wParam != 0 && !m_closing) {
            m_closing = true;
            ReleaseEngine();
            m_trayIcon.RemoveIcon();
            PostMessageA(m_hWnd, FM_FINISH_CLOSE, 0, 0);
        }
        return 0;
    case FM_TRAY_NOTIFY:
        return m_trayIcon.OnTrayNotification(wParam, lParam);
    case FM_SET_BUSY:
        OnSetBusy(wParam != 0, lParam);
        return 1;
    case FM_TRAY_MENU:
        OnTrayMenu(wParam);
        return 0;
    case FM_FINISH_CLOSE:
        OnFinishClose();
        return 1;
    case FM_SHOW_NOTICE:
        OnShowNotice(static_cast<UINT>(wParam), static_cast<UINT>(lParam));
        return 1;
    case FM_ACTIVATE_POPUP:
        OnActivatePopup(wParam, lParam);
        return 1;
    case FM_SHOW_MESSAGE:
        OnShowMessage(static_cast<UINT>(wParam), static_cast<UINT>(lParam));
        return 1;
    default:
        return CWnd::OnMessage(message, wParam, lParam);
    }
}
