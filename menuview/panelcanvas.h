// What a designer panel needs of the canvas that holds it. The designer's
// canvas implements it; tests stand in for it, so the panels are tried
// without a designer.
#pragma once

#include <windows.h>

#include <string>

#include "menuview/menulayout.h"

class CMenuPanel;

// Messages a panel sends or posts to the canvas window.
const UINT DM_ITEMSELECTED = 0x8001;  // wParam 0 selection changed, 1 open the properties; lParam the panel
const UINT DM_SHOWITEM = 0x8002;      // wParam the item: open the panels down to it and select it

// Bit 31 of the key flags of a mouse message: the event comes from a panel
// (converted to canvas client coordinates), or a press was made by the
// program to select an item without starting a drag.
const WPARAM kPanelInputFlag = 0x80000000u;

class IPanelCanvas {
public:
    // The canvas window: panels are its children and send it messages.
    virtual HWND canvasWindow() const = 0;
    // The window class panels are made with.
    virtual const std::string& panelClassName() const = 0;

    // Drawing and layout share the canvas's menu font and metrics.
    virtual HFONT menuFont() const = 0;
    virtual const MenuMetrics& metrics() const = 0;
    virtual long measureText(const std::string& text) = 0;
    // Drawn before every item of the root list.
    virtual HICON rootIcon() const = 0;

    // Where panels are drawn relative to their unscrolled place (<= 0).
    virtual long offsetX() const = 0;
    virtual long offsetY() const = 0;

    // The panel and index that hold the selection (null, -1 when none).
    virtual CMenuPanel* activePanel() const = 0;
    virtual int activeIndex() const = 0;
    // Forgets the selection and removes its frame.
    virtual void clearActive() = 0;
    // `panel`'s item at `index` is the selection now; `target` is the item's
    // rectangle in canvas client coordinates grown by 3 and 2 (the frame
    // goes 3 pixels further out).
    virtual void setActive(CMenuPanel* panel, int index, const RECT& target) = 0;

    // A panel opened or closed; the canvas keeps the list of open panels
    // and its scroll range.
    virtual void addPanel(CMenuPanel* panel) = 0;
    virtual void removePanel(CMenuPanel* panel) = 0;
    // A panel changed size: the scroll range is computed again.
    virtual void updateExtent() = 0;

    // A panel's mouse event (WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP,
    // WM_MOUSEWHEEL) at `point` in canvas client coordinates, with
    // kPanelInputFlag set in `keys`. WM_MOUSEWHEEL comes with its own wParam
    // as `keys` and no flag: bit 31 there is the sign of the wheel's delta.
    virtual void panelMouse(UINT message, WPARAM keys, POINT point) = 0;
    // The pointer is over a panel at this screen point (its WM_NCHITTEST).
    virtual void panelHitTest(POINT screen) = 0;

protected:
    ~IPanelCanvas() = default;
};
