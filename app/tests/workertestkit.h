// What the worker thread's tests share: hook reports made by hand, the root
// menu as the screen shows it, and waiting for a condition while handling messages.
#pragma once

#include "app/hookevent.h"

#include <windows.h>

#include <cstdint>

// A hook report of `message` at screen point x, y over `window`.
inline HookMouseEvent Mouse(UINT message, HWND window, int x, int y)
{
    HookMouseEvent event = {};
    event.message = message;
    event.x = x;
    event.y = y;
    event.window = static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(window));
    return event;
}

// The root menu window while it is on screen, else null.
inline HWND VisibleRootMenu()
{
    HWND root = FindWindowA(nullptr, "CMenuWnd");
    return root != nullptr && IsWindowVisible(root) ? root : nullptr;
}

// Polls `done` for up to ten seconds; its last answer.
template <typename Condition>
bool WaitUntil(Condition done)
{
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < 10000) Sleep(1);
    return done();
}

// Handles this thread's messages until `done` holds or `milliseconds` pass;
// what the worker posted before it was done is handled too. A waiting thread
// that owns windows must handle its messages, or a change the worker makes
// to its own windows (showing, hiding, activation) that sends to them waits.
template <typename Condition>
bool PumpUntil(Condition done, DWORD milliseconds = 10000)
{
    const DWORD start = GetTickCount();
    MSG msg;
    while (!done()) {
        if (GetTickCount() - start > milliseconds) return false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    }
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    return true;
}
