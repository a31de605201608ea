#include "app/processthread.h"

#include "accounts/settingnames.h"
#include "app/appmessages.h"
#include "app/traymenu.h"
#include "app/vantrelapp.h"
#include "designer/logindlg.h"
#include "framework/sentwait.h"
#include "lang/resource.h"

#include <mmsystem.h>

#include <cstring>

namespace {

// The pop-up menus the run-time menus attach to, by the three searches:
// A, a visible top-level window of that class with no owner; B, a visible
// one whose owner is of another class; C, any visible one. The system's
// pop-up menu class "#32768" is unowned on Windows, but Wine gives it the
// owning program's window as parent, so it is searched as A and as C.
// No other toolkit's pop-up class could be verified here, so B is unused.
const char kPopupClassA[] = "#32768";
const char kPopupClassB[] = "";
const char kPopupClassC[] = "#32768";

const DWORD kPopupTimeout = 2;  // ms; a hung program must not hold the worker

CVantrelApp* App()
{
    return VantrelApp();
}

// On the worker, between its messages: only a post, so that the system's
// notices cost the worker nothing until it takes them in turn.
void CALLBACK PopupEventProc(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    if (window == nullptr) return;
    if (event == EVENT_SYSTEM_MENUPOPUPSTART) {
        PostThreadMessageA(GetCurrentThreadId(), TM_POPUP_STARTED, 0, reinterpret_cast<LPARAM>(window));
    } else if (event == EVENT_OBJECT_CREATE && object == OBJID_WINDOW && child == CHILDID_SELF) {
        PostThreadMessageA(GetCurrentThreadId(), TM_WINDOW_CREATED, 0, reinterpret_cast<LPARAM>(window));
    }
}

long long MicrosecondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (now.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart;
}

}  // namespace

// The shell's automation object and its interface.
const CLSID kShellClass = {0x13709620, 0xC279, 0x11CE, {0xA4, 0x9E, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID kShellDispatchInterface = {0xD8F015C0, 0xC278, 0x11CE, {0xA4, 0x9E, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

const CRuntimeThread CProcessThread::classCProcessThread = {"CProcessThread"};

CProcessThread::CProcessThread()
    : m_menusClosedEvent(CreateEventA(nullptr, FALSE, FALSE, nullptr)), m_router(*this)
{
}

CProcessThread::~CProcessThread()
{
    // A worker still running uses what is freed below, and only a message
    // wakes it: the base class's stop, a bare event, would wait for it forever.
    stop();
    releaseMenuWindows();
    DiscardTree();
    if (m_menusClosedEvent != nullptr) CloseHandle(m_menusClosedEvent);
}

const CRuntimeThread* CProcessThread::GetRuntimeThread() const
{
    return &classCProcessThread;
}

bool CProcessThread::FirstestProcess()
{
    if (m_menusClosedEvent == nullptr || m_owner == nullptr) return false;
    // Owning a message queue before anyone posts to this thread.
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    // Items run here: the shell's automation object, and the handlers that
    // ShellExecute starts (mail, find files), need COM on this thread.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) return false;
    void* shell = nullptr;
    CVantrelApp* app = App();
    if (FAILED(CoCreateInstance(kShellClass, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                kShellDispatchInterface, &shell)) ||
        shell == nullptr || !initMenuWindows(app != nullptr ? app->appIcon : nullptr)) {
        if (shell != nullptr) static_cast<IShellDispatch*>(shell)->Release();
        CoUninitialize();
        return false;
    }
    m_shell = static_cast<IShellDispatch*>(shell);
    m_owner->startHookReports();
    InstallPopupHooks();
    m_router.setForeignPopup(nullptr);
    m_router.setAnchorWindow(nullptr);
    m_launcher.setShell(m_shell);
    ResetToDefaultTree();
    SetThreadTimer(kTimerStartup, 130, 0);
    return true;
}

void CProcessThread::Running()
{
    MSG msg;
    for (;;) {
        if (m_watchedPopup != nullptr) {
            // Messages first; between them, a look at the pop-up every millisecond.
            MsgWaitForMultipleObjectsEx(0, nullptr, kPopupCheckMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            CheckWatchedPopup();
            if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
            if (msg.message == WM_QUIT) break;
        } else {
            const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
            if (got == 0 || got == -1) break;
        }
        if (msg.hwnd != nullptr) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        switch (msg.message) {
        case TM_HOOK_EVENTS:
            TakeHookEvents();
            break;
        case TM_EVENT_MESSAGES:
            DoEventMessage();
            break;
        case TM_LOGIN:
            OnLogin();
            break;
        case TM_LOGOUT:
            OnLogout();
            break;
        case TM_POPUP_STARTED:
            m_watchedPopup = nullptr;
            PopupStarted();
            break;
        case TM_WINDOW_CREATED:
            WatchPopup(reinterpret_cast<HWND>(msg.lParam));
            break;
        default:
            break;
        }
    }
}

void CProcessThread::LastestProcess()
{
    RemovePopupHooks();
    m_watchedPopup = nullptr;
    CloseRoot();
    KillThreadTimer(kTimerIdleLogout, 1);
    KillThreadTimer(kTimerHover, 1);
    KillThreadTimer(kTimerStartup, 1);
    DiscardTree();
    releaseMenuWindows();
    m_launcher.setShell(nullptr);
    if (m_shell != nullptr) m_shell->Release();
    m_shell = nullptr;
    CoUninitialize();
}

void CProcessThread::TakeHookEvents()
{
    PauseIdleLogout();
    // One wake-up may find several events (or none: an earlier wake-up took
    // them); a stop request ends the batch after the current event.
    if (CheckKillEvent()) return;
    RouteQueuedEvents();
    ResumeIdleLogout();
}

void CProcessThread::RouteQueuedEvents()
{
    while (m_owner->dequeueHookEvent(m_currentEvent)) {
        QueryPerformanceCounter(&m_eventTakenAt);
        ++m_eventsTaken;
        m_router.route(m_currentEvent);
        if (CheckKillEvent()) break;
    }
}

void CProcessThread::PauseIdleLogout()
{
    CVantrelApp* app = App();
    if (app != nullptr && app->loggedIn != 0 && app->autoLogoutMinutes > 0) KillThreadTimer(kTimerIdleLogout, 1);
}

void CProcessThread::ResumeIdleLogout()
{
    CVantrelApp* app = App();
    if (app != nullptr && !rootWindow().isShown() && app->loggedIn != 0 && app->autoLogoutMinutes > 0)
        SetThreadTimer(kTimerIdleLogout, static_cast<UINT>(app->autoLogoutMinutes) * m_minute, 0);
}

void CProcessThread::PopupStarted()
{
    // As for a hook report: nothing while the engine is busy or the reports are off.
    if (m_owner == nullptr || !engineReady() || !m_owner->hookReportsOn()) return;
    PauseIdleLogout();
    if (CheckKillEvent()) return;
    // The right press that opened the pop-up may wait in the queue: it goes first.
    RouteQueuedEvents();
    POINT pointer;
    if (!CheckKillEvent() && GetCursorPos(&pointer)) {
        QueryPerformanceCounter(&m_eventTakenAt);
        ++m_popupsStarted;
        HookMouseEvent move = {};
        move.message = WM_MOUSEMOVE;
        move.x = pointer.x;
        move.y = pointer.y;
        move.window = static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(WindowFromPoint(pointer)));
        m_router.popupStarted(move);
    }
    ResumeIdleLogout();
}

void CProcessThread::WatchPopup(HWND window)
{
    if (!isPopupClass(window)) return;
    m_watchedPopup = window;
    m_watchUntil = GetTickCount() + kPopupWatchMs;
    CheckWatchedPopup();
}

void CProcessThread::CheckWatchedPopup()
{
    const HWND popup = m_watchedPopup;
    if (popup == nullptr) return;
    if (!IsWindow(popup) || static_cast<LONG>(GetTickCount() - m_watchUntil) > 0) {
        m_watchedPopup = nullptr;
    } else if (IsWindowVisible(popup)) {
        m_watchedPopup = nullptr;
        PopupStarted();
    }
}

void CProcessThread::InstallPopupHooks()
{
    // Our own pop-ups (the tray menu) are none of the menus' business.
    const DWORD flags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
    m_popupStartHook = SetWinEventHook(EVENT_SYSTEM_MENUPOPUPSTART, EVENT_SYSTEM_MENUPOPUPSTART, nullptr,
                                       &PopupEventProc, 0, 0, flags);
    // Where pop-ups are not announced (Wine), a new pop-up menu window is
    // watched until it shows.
    m_windowCreatedHook =
        SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, &PopupEventProc, 0, 0, flags);
}

void CProcessThread::RemovePopupHooks()
{
    if (m_popupStartHook != nullptr) UnhookWinEvent(m_popupStartHook);
    if (m_windowCreatedHook != nullptr) UnhookWinEvent(m_windowCreatedHook);
    m_popupStartHook = nullptr;
    m_windowCreatedHook = nullptr;
}

bool CProcessThread::engineReady() const
{
    CVantrelApp* app = App();
    return app == nullptr || app->engineReady != 0;
}

void CProcessThread::itemChosen(CMenuItem* item)
{
    if (m_owner != nullptr && m_owner->frameWindow() != nullptr)
        SendMessageA(m_owner->frameWindow(), FM_SET_BUSY, 1, BUSY_ITEM_RUN);
    // A login, logout or reload may be handled before the run and free the
    // item: the run finds it again by id, and only in the same tree. No
    // item has a negative id, so none is ever found for a missing item.
    const int id = item != nullptr ? item->id : -1;
    PostEventMessage(EV_EXECUTE_ITEM, static_cast<UINT_PTR>(static_cast<INT_PTR>(id)), m_treeGeneration);
}

UINT CProcessThread::OnEventMessage(_tagEMSG* msg)
{
    if (msg->message == EV_EXECUTE_ITEM) {
        ExecuteItem(msg->wParam, msg->lParam);
        return 0;
    }
    if (msg->message == EV_CLOSE_MENUS) return CloseMenus();
    return CSimpleThread::OnEventMessage(msg);
}

void CProcessThread::CloseRoot()
{
    if (!rootWindow().isShown()) return;
    rootWindow().close();
}

void CProcessThread::DiscardTree()
{
    ++m_treeGeneration;
    if (m_document.rootMenu != nullptr) m_document.deleteMenu(m_document.rootMenu);
    m_document.rootMenu = nullptr;
}

void CProcessThread::ExecuteItem(UINT_PTR itemId, UINT_PTR treeGeneration)
{
    CMenuItem* item = nullptr;
    if (treeGeneration == m_treeGeneration)
        item = m_document.findItem(static_cast<int>(static_cast<INT_PTR>(itemId)));
    if (item != nullptr) {
        CloseRoot();
        const HWND popup = m_router.foreignPopup();
        const DWORD popupThread = popup != nullptr ? GetWindowThreadProcessId(popup, nullptr) : 0;
        if (popupThread != 0) dismissPopup(popup);
        const HWND anchor = m_router.anchorWindow();
        const bool typing = !item->keystrokes.empty() || item->pressEnter != 0;
        if (anchor != nullptr && typing) {
            // A pop-up's modal loop can outlive its closed window (Wine's
            // waits for its next input) and would take the first keys typed
            // for menu keys. The loop ends at a posted WM_CANCELMODE, which
            // it reads before the keys posted after it; a thread whose loop
            // has ended already gets it for no window, where it does nothing.
            if (popupThread != 0) PostThreadMessageA(popupThread, WM_CANCELMODE, 0, 0);
            // Typing waits a millisecond at a time; the system's default
            // timer step (15.6 ms) would make a long text take seconds more.
            const bool fineTimer = timeBeginPeriod(1) == TIMERR_NOERROR;
            const TypingResult typed = IsWindow(anchor)
                                           ? TypeKeystrokes(anchor, item->keystrokes, item->pressEnter != 0, *this)
                                           : TypingResult::windowGone;
            if (fineTimer) timeEndPeriod(1);
            if (typed != TypingResult::typed) ReportTypingFailure(typed);
        }
        m_router.setAnchorWindow(nullptr);
        launcher().run(*item);
    }
    if (m_owner != nullptr && m_owner->frameWindow() != nullptr)
        PostMessageA(m_owner->frameWindow(), FM_SET_BUSY, 0, BUSY_ITEM_RUN);
}

void CProcessThread::ReportTypingFailure(TypingResult result)
{
    // The user chose the item expecting its text: a silent failure would
    // look like a text typed somewhere else.
    const UINT text = result == TypingResult::refused      ? IDS_TYPING_REFUSED
                      : result == TypingResult::windowGone ? IDS_TYPING_WINDOW_GONE
                                                           : IDS_TYPING_FAILED;
    if (m_owner != nullptr && m_owner->frameWindow() != nullptr)
        PostMessageA(m_owner->frameWindow(), FM_SHOW_MESSAGE, text, MB_ICONEXCLAMATION);
}

UINT CProcessThread::CloseMenus()
{
    const HWND popup = findForeignPopup();
    m_router.setForeignPopup(popup);
    CloseRoot();
    m_router.setAnchorWindow(nullptr);
    UINT closed = 0;
    if (popup != nullptr && IsWindow(popup)) {
        dismissPopup(popup);
        closed = 1;
    }
    SetEvent(m_menusClosedEvent);
    return closed;
}

void CProcessThread::stop()
{
    if (m_thread != nullptr && GetRunning() != 0) {
        SetKillEvent();
        WaitHandlingSentMessages(m_thread);
    }
    Close();
}

void CProcessThread::closeMenusAndWait()
{
    PostEventMessage(EV_CLOSE_MENUS, 0, 0);
    WaitHandlingSentMessages(m_menusClosedEvent);
}

void CProcessThread::OnThreadTimer(UINT id, UINT_PTR)
{
    switch (id) {
    case kTimerHover:
        onHoverDelayEnded();
        break;
    case kTimerIdleLogout:
        KillThreadTimer(kTimerIdleLogout, 0);
        // With a dialog open the next mouse event starts the time again.
        if (m_owner != nullptr && !m_owner->dialogOpen()) {
            MessageBeep(0);
            m_owner->requestLogout();
        }
        break;
    case kTimerStartup:
        KillThreadTimer(kTimerStartup, 0);
        StartupLoginCheck();
        break;
    default:
        break;
    }
}

void CProcessThread::startHoverTimer(UINT milliseconds)
{
    SetThreadTimer(kTimerHover, milliseconds, 0);
}

void CProcessThread::killHoverTimer(bool dropQueued)
{
    KillThreadTimer(kTimerHover, dropQueued ? 1 : 0);
}

void CProcessThread::menuAreaChanged(const RECT* rects, int count)
{
    if (m_owner != nullptr) m_owner->setMenuArea(rects, count);
}

void CProcessThread::StartupLoginCheck()
{
    CVantrelApp* app = App();
    if (app == nullptr || m_owner == nullptr) return;
    if (app->GetProfileInt(settings::kSection, settings::kAutoEnter, 0) != 1) return;
    app->loginFile = app->resolveModuleRelative(app->getProfileText(settings::kSection, settings::kFile, ""));
    app->loginMenuName = app->getProfileText(settings::kSection, settings::kMenuName, "");
    app->loginUser = app->getProfileText(settings::kSection, settings::kUser, "");
    app->loginPassword = app->getProfileText(settings::kSection, settings::kPassword, "");
    // Read as the login dialog reads it, so that every key the dialog
    // remembers (one character too) is used; one that fails the check is
    // dropped.
    app->loginKey = DecodeRememberedKey(app->getProfileText(settings::kSection, settings::kItemKey, ""));
    int minutes = static_cast<int>(app->GetProfileInt(settings::kSection, settings::kAutoLogoutMinutes, 0));
    if (minutes < 0) minutes = 0;
    if (minutes > 99) minutes = 99;
    app->autoLogoutMinutes = minutes;
    m_owner->requestLogin();
}

void CProcessThread::ResetToDefaultTree()
{
    DiscardTree();
    m_document.parse(std::string(), ItemKey());
}

void CProcessThread::ClearLoginValues()
{
    CVantrelApp* app = App();
    if (app == nullptr) return;
    app->loginFile.clear();
    app->loginMenuName.clear();
    app->loginUser.clear();
    app->loginPassword.clear();
    app->loginKey.clear();
}

void CProcessThread::ReloadTrayMenu(const UINT* removed, int count)
{
    CVantrelApp* app = App();
    if (app == nullptr || app->resourceLibrary == nullptr) return;
    HMENU menu = LoadMenuA(app->resourceLibrary, MAKEINTRESOURCEA(IDR_TRAY_MENU));
    if (menu == nullptr) return;
    HMENU popup = GetSubMenu(menu, 0);
    if (popup == nullptr) {
        DestroyMenu(menu);
        return;
    }
    trimTrayMenu(popup, removed, count);
    // The tray menu is shown only while the engine is busy with it, never
    // during a login, so the old one is free to go.
    HMENU old = app->trayMenu;
    app->trayPopup = popup;
    app->trayMenu = menu;
    if (old != nullptr) DestroyMenu(old);
}

void CProcessThread::OnLogin()
{
    CVantrelApp* app = App();
    if (app == nullptr) return;
    CloseRoot();
    DiscardTree();
    app->decryptFailed = 0;
    const bool loaded = m_document.load(app->loginFile, app->loginMenuName, app->loginUser, app->loginPassword,
                                        ItemKey(app->loginKey));
    if (loaded && m_document.decryptFailed == 0) {
        const UINT writer[] = {ID_CHANGE_PASSWORD};
        const UINT reader[] = {ID_OPEN_DESIGNER, ID_USERS, ID_DELETE_MENU};
        if (m_document.canWrite())
            ReloadTrayMenu(writer, 1);
        else
            ReloadTrayMenu(reader, 3);
        app->loggedIn = 1;
        m_document.close();
        app->engineReady = 1;
        return;
    }
    ResetToDefaultTree();
    app->loggedIn = 0;
    ClearLoginValues();
    m_document.close();
    MessageBeep(0xFFFFFFFF);
    const HWND frame = m_owner != nullptr ? m_owner->frameWindow() : nullptr;
    if (loaded) {
        // The menu opened but the item key does not decipher its keystrokes.
        app->decryptFailed = 1;
        if (frame != nullptr) PostMessageA(frame, FM_SHOW_NOTICE, IDS_WRONG_ITEM_KEY, MB_ICONQUESTION);
    } else if (frame != nullptr) {
        PostMessageA(frame, WM_COMMAND, ID_LOGIN, 0);
    }
    app->engineReady = 1;
}

void CProcessThread::OnLogout()
{
    CVantrelApp* app = App();
    if (app == nullptr) return;
    CloseRoot();
    ResetToDefaultTree();
    app->loggedIn = 0;
    ClearLoginValues();
    const UINT loggedInOnly[] = {ID_OPEN_DESIGNER, ID_USERS, ID_CHANGE_PASSWORD, ID_DELETE_MENU};
    ReloadTrayMenu(loggedInOnly, 4);
    app->engineReady = 1;
}

HWND CProcessThread::findForeignPopup()
{
    for (HWND w = FindWindowExA(nullptr, nullptr, kPopupClassA, nullptr); w != nullptr;
         w = FindWindowExA(nullptr, w, kPopupClassA, nullptr)) {
        if (GetParent(w) == nullptr && IsWindowVisible(w)) return w;
    }
    if (kPopupClassB[0] != '\0') {
        char ownerClass[260];
        for (HWND w = FindWindowExA(nullptr, nullptr, kPopupClassB, nullptr); w != nullptr;
             w = FindWindowExA(nullptr, w, kPopupClassB, nullptr)) {
            HWND owner = GetParent(w);
            if (owner == nullptr || !IsWindowVisible(w)) continue;
            if (GetClassNameA(owner, ownerClass, sizeof ownerClass) > 0 && std::strcmp(ownerClass, kPopupClassB) == 0)
                continue;
            return w;
        }
    }
    for (HWND w = FindWindowExA(nullptr, nullptr, kPopupClassC, nullptr); w != nullptr;
         w = FindWindowExA(nullptr, w, kPopupClassC, nullptr)) {
        if (IsWindowVisible(w)) return w;
    }
    return nullptr;
}

bool CProcessThread::isPopupClass(HWND window)
{
    char name[260];
    if (window == nullptr || GetClassNameA(window, name, sizeof name) == 0) return false;
    for (const char* popupClass : {kPopupClassA, kPopupClassB, kPopupClassC})
        if (popupClass[0] != '\0' && lstrcmpiA(name, popupClass) == 0) return true;
    return false;
}

bool CProcessThread::isMenuWindow(HWND window)
{
    return CMenuWndHost::isMenuWindow(window);
}

bool CProcessThread::isWindow(HWND window)
{
    return window != nullptr && IsWindow(window);
}

bool CProcessThread::isVisible(HWND window)
{
    return window != nullptr && IsWindowVisible(window);
}

bool CProcessThread::windowRect(HWND window, RECT& rect)
{
    return window != nullptr && GetWindowRect(window, &rect) != FALSE;
}

bool CProcessThread::sameThread(HWND first, HWND second)
{
    const DWORD thread = GetWindowThreadProcessId(first, nullptr);
    return thread != 0 && thread == GetWindowThreadProcessId(second, nullptr);
}

HWND CProcessThread::focusWindow()
{
    const HWND foreground = GetForegroundWindow();
    if (foreground == nullptr) return nullptr;
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

DWORD CProcessThread::now()
{
    return GetTickCount();
}

bool CProcessThread::menusShown()
{
    return rootWindow().isShown();
}

void CProcessThread::closeMenus()
{
    CloseRoot();
}

bool CProcessThread::showRoot(HWND, HWND popup, int x, int y)
{
    // The root has no owner: a window owned by another program's window
    // joins the two threads' input, and that program then handled the key
    // presses typed into it only after all the characters (topmost keeps
    // the menu above the pop-up all the same).
    RECT rect;
    if (m_document.rootMenu == nullptr || !GetWindowRect(popup, &rect)) return false;
    const bool shown = rootWindow().showRoot(m_document.rootMenu, nullptr, rect, POINT{x, y});
    if (shown) m_lastShowMicros = MicrosecondsSince(m_eventTakenAt);
    return shown;
}

void CProcessThread::forwardToMenu(HWND window, UINT message, int x, int y)
{
    POINT point = {x, y};
    if (!ScreenToClient(window, &point)) return;
    PostMessageA(window, message, 0, MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
}

void CProcessThread::dismissPopup(HWND popup)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(popup, WM_KEYDOWN, VK_ESCAPE, 1, SMTO_ABORTIFHUNG, kPopupTimeout, &result);
    // Wine's menus ignore the Escape key sent from outside; closing works.
    if (IsWindow(popup)) SendMessageTimeoutA(popup, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kPopupTimeout, &result);
}

void CProcessThread::requeue(const HookMouseEvent& event)
{
    if (m_owner != nullptr) m_owner->enqueueHookEvent(event);
}

void CProcessThread::mouseLeftMenus()
{
    CMenuWnd& root = rootWindow();
    if (root.highlightIndex() >= 0) root.clearHighlights();
    if (root.childWindow() != nullptr) startHoverDelay(&root);
}

void CProcessThread::wait(DWORD milliseconds)
{
    Sleep(milliseconds);
}

DWORD CProcessThread::post(HWND window, UINT message, WPARAM character)
{
    if (PostMessageA(window, message, character, 1)) return 0;
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

void CProcessThread::settle(HWND window, int messages)
{
    // A sent message is handled each time the target's thread asks for its
    // next message, before it takes a posted one; so each answer after the
    // first means one more posted message was taken. A hung or slow target
    // is given up on. The pause lets the target go on to take its posted
    // message: a next question already waiting would be answered in the
    // same round (likelier while a third program sends it messages), and
    // the key's character would then land behind the characters after it.
    for (int i = 0; i <= messages; ++i) {
        if (i > 0) Sleep(1);
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &result)) return;
    }
    // The count runs ahead when the target handles several questions before
    // it takes its next posted message (a program that pumps sent messages
    // while busy). The system makes a paint only once no posted message is
    // left, so once a pixel invalidated now has been painted, the key and
    // the character it made have been taken. A window that never paints
    // (hidden, or not validating) is given up on.
    if (!IsWindowVisible(window)) return;
    RECT pixel = {0, 0, 1, 1};
    if (!InvalidateRect(window, &pixel, FALSE)) return;
    const DWORD start = GetTickCount();
    while (GetUpdateRect(window, nullptr, FALSE) && GetTickCount() - start < 200) Sleep(1);
}

int CProcessThread::CheckKillEvent()
{
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) ? 1 : 0;
}

void CProcessThread::SetKillEvent()
{
    PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
}

void CProcessThread::SetMessageEvent()
{
    PostThreadMessageA(m_threadId, TM_EVENT_MESSAGES, 0, 0);
}
