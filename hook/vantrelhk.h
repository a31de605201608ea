// VantrelHK.dll: reports the mouse activity of every program to one window as
// WM_COPYDATA records (hook::HookMouseEvent, 28 bytes).
//
// InstallMenu(1, window) starts the reports to `window`; InstallMenu(0, NULL)
// stops them and ends the library's threads. EnableMenu(0|1, window) pauses
// and resumes the reports without removing the hook. SetMenuArea tells it
// where the program's menus are. The twelve other entry points are kept for
// the program's binding and do nothing.
#pragma once

#include <windows.h>

#ifdef VANTRELHK_BUILD
#define VANTRELHK_API extern "C" __declspec(dllexport)
#else
#define VANTRELHK_API extern "C" __declspec(dllimport)
#endif

VANTRELHK_API int WINAPI InstallMenu(int install, HWND window);
VANTRELHK_API int WINAPI EnableMenu(int enable, HWND window);

// What the hook has done since it was installed or the statistics were reset.
struct HookStatistics {
    DWORD seen;            // events the hook saw, reporting or not
    DWORD callbacks;       // events seen while reporting
    DWORD queued;          // events queued for delivery
    DWORD dropped;         // events lost because the queue was full
    DWORD delivered;       // records the receiving window accepted
    DWORD failed;          // records it did not accept in time, and events not sent
                           // while it had yet to answer after such a record
    DWORD kept;            // button events on the menus kept from other programs
    DWORD maxCallbackNs;   // longest time spent inside the callback
    DWORD recentCount;     // entries in recentCallbackNs, oldest first
    UINT32 recentCallbackNs[1024];
};

// The screen rectangles of the program's shown menus, replacing the last
// ones (an empty list when none is shown; at most 16 are kept). A left or
// right press inside them, while the reports run, goes to the program alone
// and no further, and so does the release that follows it.
VANTRELHK_API void WINAPI SetMenuArea(const RECT* rects, int count);

typedef int(WINAPI* HookSwitchProc)(int flag, HWND window);
typedef void(WINAPI* MenuAreaProc)(const RECT* rects, int count);
typedef void(WINAPI* HookStatisticsProc)(HookStatistics* statistics, BOOL reset);

VANTRELHK_API void WINAPI GetHookStatistics(HookStatistics* statistics, BOOL reset);

// The library also keeps its counters (hook::HookCounters) in a block of shared
// memory named this prefix followed by the process id in decimal, which
// another process may map read-only to watch a running program's hook.
#define VANTRELHK_STATISTICS_PREFIX "Local\\VantrelHK.Statistics."

