// What the hook library reports, and its two entry points that the program calls.
#pragma once

#include <windows.h>

#include <cstdint>

// One mouse report from the hook library: seven 32-bit little-endian values.
struct HookMouseEvent {
    std::uint32_t message;  // WM_MOUSEMOVE, WM_LBUTTONDOWN/UP, WM_RBUTTONDOWN or their non-client forms
    std::int32_t x;         // screen coordinates
    std::int32_t y;
    std::uint32_t window;   // the window under the mouse: the 32 significant bits of its handle
    std::uint32_t value1;   // not interpreted
    std::uint32_t value2;   // not interpreted
    std::uint32_t flag;     // not 0: the event never opens or reaches the menus
};
static_assert(sizeof(HookMouseEvent) == 28, "the hook library's record is 28 bytes");

// InstallMenu and EnableMenu: (flag, window) with the standard calling
// convention; the result is not used.
typedef int(WINAPI* HookSwitchProc)(int flag, HWND window);
