// The worker thread of the run-time engine. It runs a Win32 message loop for
// its menu windows, routes the hook events that the frame queues for it,
// shows the menus against other programs' pop-ups, runs the chosen item,
// logs in and out, and keeps the submenu delay and the idle time-out.
#pragma once

#include "app/hookevent.h"
#include "app/hookrouter.h"
#include "app/keytyping.h"
#include "app/launcher.h"
#include "ahcommon/simplethread.h"
#include "menudoc/menudocument.h"
#include "menuview/menuhost.h"
#include "menuview/menuwnd.h"

#include <shldisp.h>

#include <atomic>
#include <string>

// What the worker needs of its owner, the main frame.
class ProcessThreadOwner {
public:
    // On the worker as it starts: point the hook library's reports at the
    // message window (and pause them when the user turned the menus off).
    virtual void startHookReports() = 0;
    // Takes the oldest queued hook event; false when none waits.
    virtual bool dequeueHookEvent(HookMouseEvent& event) = 0;
    // Queues an event behind the waiting ones.
    virtual void enqueueHookEvent(const HookMouseEvent&) {}
    // The frame window that gets the busy message, notices and commands.
    virtual HWND frameWindow() const { return nullptr; }
    // True while one of the frame's dialogs is open.
    virtual bool dialogOpen() const { return false; }
    virtual void requestLogout() {}
    virtual void requestLogin() {}
    // Whether the hook library reports now: a pop-up that starts while it
    // does not (menus turned off, shutting down) opens nothing.
    virtual bool hookReportsOn() const { return true; }
    // On the worker: the screen rectangles of the shown menus, for the hook
    // library, which keeps presses on them from other programs.
    virtual void setMenuArea(const RECT* rects, int count)
    {
        (void)rects;
        (void)count;
    }

protected:
    ~ProcessThreadOwner() = default;
};

// Worker thread timers.
const UINT kTimerHover = 1;       // the submenu delay
const UINT kTimerIdleLogout = 4;  // the idle time-out
const UINT kTimerStartup = 6;     // the start-up login check, 130 ms after start

// A pop-up menu window that was created is looked at this often until it
// shows, for this long at most (where the system does not announce pop-ups).
const DWORD kPopupCheckMs = 1;
const DWORD kPopupWatchMs = 500;

// Its typing is a public TypingPort so that it can be tried on its own.
class CProcessThread : public CSimpleThread, public CMenuWndHost, private HookRoutingPort, public TypingPort {
public:
    static const CRuntimeThread classCProcessThread;

    CProcessThread();
    ~CProcessThread() override;
    const CRuntimeThread* GetRuntimeThread() const override;

    // Set before Open.
    void setOwner(ProcessThreadOwner* owner) { m_owner = owner; }
    // From the owner's thread: asks the worker to close its menus and waits
    // until it has, handling meanwhile what the worker sends to the owner's
    // windows so that the two threads cannot wait for each other.
    void closeMenusAndWait();
    // From the owner's thread: stops the worker and joins it, handling
    // meanwhile what the worker sends to the owner's windows (a menu click
    // under way marks the engine busy with a sent message).
    void stop();
    // Auto-reset; signalled after every EV_CLOSE_MENUS.
    HANDLE menusClosedEvent() const { return m_menusClosedEvent; }
    DWORD threadId() const { return m_threadId; }
    // Hook events taken from the queue so far.
    unsigned eventsTaken() const { return m_eventsTaken.load(); }
    // Microseconds from taking the event that opened the root menu off the
    // queue to the root window shown (the last time it opened).
    long long lastShowMicroseconds() const { return m_lastShowMicros.load(); }
    // Pop-up starts routed so far, announced or seen showing.
    unsigned popupsStarted() const { return m_popupsStarted.load(); }
    // How long one idle minute lasts; set before Open.
    void setMinuteMilliseconds(UINT milliseconds) { m_minute = milliseconds; }
    // The tree the menus show; tests read it while the worker waits.
    const CMenuDocument& document() const { return m_document; }

    // CMenuWndHost
    bool engineReady() const override;
    void itemChosen(CMenuItem* item) override;

protected:
    UINT OnEventMessage(_tagEMSG* msg) override;
    int CheckKillEvent() override;
    void SetKillEvent() override;
    void SetMessageEvent() override;
    void OnThreadTimer(UINT id, UINT_PTR param) override;
    bool FirstestProcess() override;
    void Running() override;
    void LastestProcess() override;

    void startHoverTimer(UINT milliseconds) override;
    void killHoverTimer(bool dropQueued) override;
    void menuAreaChanged(const RECT* rects, int count) override;

    // The launcher runs items; tests replace it.
    virtual CItemLauncher& launcher() { return m_launcher; }

private:
    void TakeHookEvents();
    void RouteQueuedEvents();
    void PauseIdleLogout();
    void ResumeIdleLogout();
    // Routes the start of a pop-up as a move at the pointer's position.
    void PopupStarted();
    void WatchPopup(HWND window);
    void CheckWatchedPopup();
    void InstallPopupHooks();
    void RemovePopupHooks();
    // Runs the item of that id when the tree it was chosen from is still
    // the one shown; a login, logout or reload in between drops the run.
    void ExecuteItem(UINT_PTR itemId, UINT_PTR treeGeneration);
    // Frees the tree; every run still queued for one of its items is dropped.
    void DiscardTree();
    UINT CloseMenus();
    void OnLogin();
    void OnLogout();
    void StartupLoginCheck();
    void ResetToDefaultTree();
    void ClearLoginValues();
    void ReloadTrayMenu(const UINT* removed, int count);
    void CloseRoot();

    // HookRoutingPort
    HWND findForeignPopup() override;
    bool isPopupClass(HWND window) override;
    bool isMenuWindow(HWND window) override;
    bool isWindow(HWND window) override;
    bool isVisible(HWND window) override;
    bool windowRect(HWND window, RECT& rect) override;
    bool sameThread(HWND first, HWND second) override;
    HWND focusWindow() override;
    DWORD now() override;
    bool menusShown() override;
    void closeMenus() override;
    bool showRoot(HWND anchor, HWND popup, int x, int y) override;
    void forwardToMenu(HWND window, UINT message, int x, int y) override;
    void dismissPopup(HWND popup) override;
    void requeue(const HookMouseEvent& event) override;
    void mouseLeftMenus() override;

    // TypingPort
    void wait(DWORD milliseconds) override;
    DWORD post(HWND window, UINT message, WPARAM character) override;
    // Tells the user, through the frame, why an item's text was not typed.
    void ReportTypingFailure(TypingResult result);
    void settle(HWND window, int messages) override;

    HANDLE m_menusClosedEvent;
    ProcessThreadOwner* m_owner = nullptr;
    CMenuDocument m_document;
    // Counts the trees the document has held: a queued run carries the
    // count of the tree its item belongs to, never a pointer into it.
    UINT_PTR m_treeGeneration = 0;
    CHookRouter m_router;
    CItemLauncher m_launcher;
    // The shell's automation object, made and used on this thread only.
    IShellDispatch* m_shell = nullptr;
    HookMouseEvent m_currentEvent = {};
    UINT m_minute = 60000;
    std::atomic<unsigned> m_eventsTaken{0};
    LARGE_INTEGER m_eventTakenAt = {};
    std::atomic<long long> m_lastShowMicros{-1};
    std::atomic<unsigned> m_popupsStarted{0};
    // The system's announcements of other programs' pop-up menus and window
    // creations; null where it has none.
    HWINEVENTHOOK m_popupStartHook = nullptr;
    HWINEVENTHOOK m_windowCreatedHook = nullptr;
    // A pop-up menu window created but not yet shown, and until when to wait.
    HWND m_watchedPopup = nullptr;
    DWORD m_watchUntil = 0;
};
