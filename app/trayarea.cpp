#include "app/trayarea.h"

#include <shellapi.h>

#include <cstring>

namespace {

bool IsEmpty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

struct ChildSearch {
    TaskbarFacts* facts;
};

BOOL CALLBACK VisitTaskbarChild(HWND window, LPARAM param)
{
    TaskbarFacts& facts = *reinterpret_cast<ChildSearch*>(param)->facts;
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "TrayNotifyWnd") == 0) {
        facts.haveNotify = GetWindowRect(window, &facts.notify) != FALSE;
    } else if (std::strcmp(name, "TrayClockWClass") == 0) {
        facts.haveClock = GetWindowRect(window, &facts.clock) != FALSE;
        return FALSE;  // the first clock ends the walk
    }
    return TRUE;
}

// The window that takes a dialog's place in the taskbar while it is in the tray.
HWND g_parking = nullptr;

HWND ParkingWindow()
{
    if (g_parking != nullptr && IsWindow(g_parking)) return g_parking;
    static const char kClass[] = "VantrelTrayParking";
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
    g_parking = CreateWindowExA(0, kClass, "", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return g_parking;
}

bool AnimationOn()
{
    ANIMATIONINFO info = {sizeof(ANIMATIONINFO), 0};
    return SystemParametersInfoA(SPI_GETANIMATION, sizeof info, &info, 0) && info.iMinAnimate != 0;
}

}  // namespace

RECT trayAreaFromFacts(const TaskbarFacts& facts)
{
    RECT rect = {};
    if (facts.haveTray) {
        rect = facts.tray;
        if (facts.haveNotify) rect = facts.notify;
        if (facts.haveClock) {
            // A clock that ends well above the area's bottom sits on top of a
            // vertical taskbar's area; otherwise it sits at its right end.
            if (facts.clock.bottom < rect.bottom - 5)
                rect.top = facts.clock.bottom;
            else
                rect.right = facts.clock.left;
        }
        return rect;
    }
    if (facts.haveBar) {
        switch (facts.edge) {
        case ABE_LEFT:
        case ABE_RIGHT:
            rect.left = facts.bar.left;
            rect.right = facts.bar.right;
            rect.top = facts.bar.bottom - 100;
            rect.bottom = facts.bar.bottom - 16;
            return rect;
        case ABE_TOP:
        case ABE_BOTTOM:
            rect.top = facts.bar.top;
            rect.bottom = facts.bar.bottom;
            rect.left = facts.bar.right - 100;
            rect.right = facts.bar.right - 16;
            return rect;
        default:
            break;
        }
    }
    rect = facts.workArea;
    rect.left = rect.right - 150;
    rect.top = rect.bottom - 30;
    return rect;
}

TaskbarFacts readTaskbarFacts()
{
    TaskbarFacts facts;
    // A taskbar that is hidden or has no size (a desktop without a shell)
    // counts as missing, so the animation still ends somewhere sensible.
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    if (tray != nullptr && IsWindowVisible(tray) && GetWindowRect(tray, &facts.tray) && !IsEmpty(facts.tray)) {
        facts.haveTray = true;
        ChildSearch search = {&facts};
        EnumChildWindows(tray, &VisitTaskbarChild, reinterpret_cast<LPARAM>(&search));
    }
    APPBARDATA bar = {};
    bar.cbSize = sizeof bar;
    if (SHAppBarMessage(ABM_GETTASKBARPOS, &bar) && !IsEmpty(bar.rc)) {
        facts.haveBar = true;
        facts.bar = bar.rc;
        facts.edge = bar.uEdge;
    }
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &facts.workArea, 0)) {
        facts.workArea.right = GetSystemMetrics(SM_CXSCREEN);
        facts.workArea.bottom = GetSystemMetrics(SM_CYSCREEN);
    }
    return facts;
}

void trayAreaRect(RECT& rect)
{
    rect = trayAreaFromFacts(readTaskbarFacts());
}

void minimiseToTray(HWND window)
{
    if (window == nullptr) return;
    if (AnimationOn()) {
        RECT from, to;
        GetWindowRect(window, &from);
        trayAreaRect(to);
        DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
    }
    if (HWND parking = ParkingWindow()) SetParent(window, parking);
    SetWindowLongPtrA(window, GWL_STYLE, GetWindowLongPtrA(window, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VISIBLE));
}

void restoreFromTray(HWND window)
{
    if (window == nullptr) return;
    if (AnimationOn()) {
        RECT from, to;
        trayAreaRect(from);
        SetParent(window, nullptr);
        GetWindowRect(window, &to);
        DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
    } else {
        SetParent(window, nullptr);
    }
    SetWindowLongPtrA(window, GWL_STYLE, GetWindowLongPtrA(window, GWL_STYLE) | WS_VISIBLE);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
    if (g_parking != nullptr && IsWindow(g_parking)) SetActiveWindow(g_parking);
    SetActiveWindow(window);
    SetForegroundWindow(window);
}
