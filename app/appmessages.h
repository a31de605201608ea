// The program's private messages, in one place.
#pragma once

#include <windows.h>

// Main frame window messages.
const UINT FM_FINISH_CLOSE = 0x8001;    // posted by the frame's close: remove the tray icon, destroy the frame
const UINT FM_SHOW_NOTICE = 0x8002;     // wParam string id, lParam box style: show it, then reopen the login
const UINT FM_ACTIVATE_POPUP = 0x8003;  // bring the frame's open dialog to the front, with a beep
const UINT FM_SHOW_MESSAGE = 0x8004;    // wParam string id, lParam box style: show it, nothing after
const UINT FM_TRAY_NOTIFY = 0x800A;     // tray icon callback: wParam icon id, lParam mouse message
const UINT FM_SET_BUSY = 0x8320;        // wParam 1: engine busy (menus ignore the mouse), 0: done; lParam who (below)
const UINT FM_TRAY_MENU = 0x8321;       // wParam x (low word), y (high word): show the tray menu there

// Who keeps the engine busy (FM_SET_BUSY's lParam): it is ready again only
// when neither is under way.
const LPARAM BUSY_ITEM_RUN = 0;         // a chosen item, until its run has ended
const LPARAM BUSY_TRAY_MENU = 1;        // the tray menu, from the icon's click until the menu has closed

// Worker thread messages (posted to its thread id).
const UINT TM_HOOK_EVENTS = WM_NULL;    // hook events wait in the frame's queue
const UINT TM_EVENT_MESSAGES = 0x8000;  // the thread library's event messages wait in the worker's queue
const UINT TM_LOGIN = 0x8001;           // load the menu of the login values
const UINT TM_LOGOUT = 0x8002;          // drop the menu and log out
const UINT TM_POPUP_STARTED = 0x8003;   // lParam a pop-up menu of another program that the system announced
const UINT TM_WINDOW_CREATED = 0x8004;  // lParam a window another program created: watched when it is a pop-up menu

// Worker event messages (PostEventMessage).
const UINT EV_EXECUTE_ITEM = 0x8001;    // wParam the chosen item's id, lParam its tree's generation: run it
const UINT EV_CLOSE_MENUS = 0x8002;     // close every menu, then signal the menus-closed event
