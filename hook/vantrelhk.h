// VantrelHK.dll: reports the mouse activity of every program to one window as
// WM_COPYDATA records (hook::HookMouseEvent, 28 bytes).
//
// InstallMenu(1, window) starts the reports to `window`; InstallMenu(0, NULL)
// stops them and ends the library's threads. EnableMenu(0|1, window) pauses
// and resumes the reports without removing the hook. The twelve other entry
// points are kept for the program's binding and do nothing.
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
    DWORD maxCallbackNs;   // longest time spent inside the callback
    DWORD recentCount;     // entries in recentCallbackNs, oldest first
    UINT32 recentCallbackNs[1024];
};

typedef int(WINAPI* HookSwitchProc)(int flag, HWND window);
typedef void(WINAPI* HookStatisticsProc)(HookStatistics* statistics, BOOL reset);

VANTRELHK_API void WINAPI GetHookStatistics(HookStatistics* statistics, BOOL reset);

// The library also keeps its counters (hook::HookCounters) in a block of shared
// memory named this prefix followed by the process id in decimal, which
// another process may map read-only to watch a running program's hook.
#define VANTRELHK_STATISTICS_PREFIX "Local\\VantrelHK.Statistics."

