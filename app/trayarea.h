// Where the notification area is, for the animation of a window going to
// the tray or coming back from it.
#pragma once

#include <windows.h>

// What the system tells about the taskbar; each part may be missing.
struct TaskbarFacts {
    bool haveTray = false;   // a visible "Shell_TrayWnd" with a non-empty rectangle
    RECT tray = {};
    bool haveNotify = false; // its "TrayNotifyWnd" child
    RECT notify = {};
    bool haveClock = false;  // the first "TrayClockWClass" below it
    RECT clock = {};
    bool haveBar = false;    // the shell's answer to ABM_GETTASKBARPOS
    RECT bar = {};
    UINT edge = 0;           // ABE_LEFT, ABE_TOP, ABE_RIGHT or ABE_BOTTOM
    RECT workArea = {};
};

// The rectangle of the notification area from the facts: the taskbar's own
// windows when present, else a strip at the end of the shell's taskbar,
// else the bottom right corner of the work area.
RECT trayAreaFromFacts(const TaskbarFacts& facts);
// The facts as the system reports them now.
TaskbarFacts readTaskbarFacts();
void trayAreaRect(RECT& rect);

// Animate a window into the notification area and hide it from the taskbar,
// and the reverse; the program's dialogs call them when they close and open.
void minimiseToTray(HWND window);
void restoreFromTray(HWND window);
