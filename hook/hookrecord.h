// The record the hook library sends the program with WM_COPYDATA, one per
// mouse event, and the mouse messages it may carry. Both sides build with
// this one definition.
#pragma once

#include <cstdint>

// Seven 32-bit little-endian values, 28 bytes.
struct HookMouseEvent {
    std::uint32_t message;   // one of the messages IsHookReportMessage accepts
    std::int32_t x;          // screen coordinates
    std::int32_t y;
    std::uint32_t window;    // the window under the mouse: the 32 significant bits of its handle
    std::uint32_t hitTest;   // the window's hit test at the point; not interpreted by the program
    std::uint32_t time;      // event time in ms; not interpreted by the program
    std::uint32_t injected;  // 1 when a program made the event: it never opens or reaches the menus
};
static_assert(sizeof(HookMouseEvent) == 28, "the hook library's record is 28 bytes");

namespace hookmsg {
constexpr std::uint32_t kMouseMove = 0x0200;    // WM_MOUSEMOVE
constexpr std::uint32_t kLButtonDown = 0x0201;  // WM_LBUTTONDOWN
constexpr std::uint32_t kLButtonUp = 0x0202;    // WM_LBUTTONUP
constexpr std::uint32_t kRButtonDown = 0x0204;  // WM_RBUTTONDOWN
// A client message minus this is its non-client form (WM_NCMOUSEMOVE is 0xA0).
constexpr std::uint32_t kNonClientOffset = 0x0200 - 0x00A0;
}  // namespace hookmsg

// Whether `message` is one the hook library reports: the four client mouse
// messages it watches, or their non-client forms. A record with any other
// message did not come from the hook library.
constexpr bool IsHookReportMessage(std::uint32_t message)
{
    using namespace hookmsg;
    return message == kMouseMove || message == kLButtonDown || message == kLButtonUp ||
           message == kRButtonDown || message == kMouseMove - kNonClientOffset ||
           message == kLButtonDown - kNonClientOffset || message == kLButtonUp - kNonClientOffset ||
           message == kRButtonDown - kNonClientOffset;
}
