// The program's hidden top-level window. It binds the hook library, owns the
// message window, the hook-event queue, the tray icon, the worker thread and
// the tray menu's dialogs, answers the tray menu's commands and runs the
// ordered shut-down.
#pragma once

#include "app/aboutdlg.h"
#include "app/hookevent.h"
#include "app/hookqueue.h"
#include "app/messagewnd.h"
#include "app/processthread.h"
#include "app/systemtray.h"
#include "app/traydialogs.h"
#include "ahcommon/critsect.h"
#include "framework/window.h"

#include <shldisp.h>

#include <atomic>
#include <string>

class CMainFrame : public CWnd, public HookEventSink, public ProcessThreadOwner {
public:
    CMainFrame();
    ~CMainFrame() override;

    // Creates the hidden window; false when any start-up step failed.
    bool Create();

    void enqueueHookEvent(const HookMouseEvent& event) override;
    bool dequeueHookEvent(HookMouseEvent& event) override;
    void startHookReports() override;
    bool hookReportsOn() const override { return m_reportsOn.load(); }
    void setMenuArea(const RECT* rects, int count) override;

    bool menusEnabled() const { return m_menusEnabled != 0; }
    // Any thread, after the login values are set: the worker loads the
    // menu of the login values (the item key is made exactly 8 bytes).
    void requestLogin() override;
    // Any thread: the worker drops the menu and logs out.
    void requestLogout() override;
    HWND frameWindow() const override { return m_hWnd; }
    bool dialogOpen() const override;
    HWND messageWindow() const { return m_messageWindow.m_hWnd; }

    bool OnUpdateCommand(CCmdUI& ui) override;
    bool HandlesCommand(UINT id) const override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    // Asks to be the foreground window; true when it now is. A test frame
    // refuses, as the system does while another program holds the input.
    virtual bool TakeForeground();

private:
    int OnCreate();
    void OnClose();
    void OnFinishClose();
    void OnTrayMenu(WPARAM position);
    // FM_SET_BUSY: `holder` (BUSY_ITEM_RUN or BUSY_TRAY_MENU) starts or ends.
    void OnSetBusy(bool busy, LPARAM holder);
    void OnActivatePopup(WPARAM wParam, LPARAM lParam);
    void OnShowNotice(UINT stringId, UINT style);
    void OnShowMessage(UINT stringId, UINT style);
    void OnEnableMenu();
    void OnAbout();
    // Becomes the foreground window; when it cannot yet, posts `message`
    // again (at most 20 times, 10 ms apart) and returns false.
    bool BecomeForeground(UINT message, WPARAM wParam, LPARAM lParam);
    // Unhooks, stops the worker and frees what the frame holds; safe to
    // call again.
    void ReleaseEngine();

    HookSwitchProc m_installMenuProc = nullptr;
    HookSwitchProc m_enableMenuProc = nullptr;
    CMessageWnd m_messageWindow;
    int m_menusEnabled = 1;
    // The library reports (installed and enabled); read by the worker.
    std::atomic<bool> m_reportsOn{false};
    CProcessThread m_processThread;
    CSystemTray m_trayIcon;
    CAboutDlg m_aboutDialog;
    CTrayDialogs m_dialogs{*this};
    CHookEventQueue m_hookEventQueue;
    MSG m_wakeMessage = {};
    HMODULE m_hookLibrary = nullptr;
    int m_foregroundRetries = 0;
    // One bit per busy holder under way; the engine is ready when none is.
    unsigned m_busyHolders = 0;
    std::string m_noticeText;
    // Where the menus are, told to the library from the worker; optional.
    // The lock keeps the library loaded while the worker calls it.
    CAhCriticalSection m_menuAreaLock;
    MenuAreaProc m_menuAreaProc = nullptr;
    // The library's other entry points: looked up with the two above, not called.
    FARPROC m_otherHookProcs[12] = {};
    bool m_workerStarted = false;
    bool m_closing = false;
};
