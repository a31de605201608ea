// Dragging an item on the design canvas, apart from any window: the press
// on the selection frame, the 4-pixel threshold, which panels take the
// pointer, what hovering an item does, where the insertion mark goes, and
// whether a release is a move. The canvas window feeds it mouse events in
// canvas client coordinates and carries out what it answers.
#pragma once

#include "menuview/menulayout.h"

class CMenuItem;
class CMenuList;

// The canvas's hit-test codes (WM_NCHITTEST values it uses).
enum CanvasHit {
    kHitNowhere = 0,
    kHitCanvas = 1,     // bare canvas
    kHitPanel = 5,      // over a panel
    kHitSelection = 18, // on the selection frame
};

// The canvas's code for a point, from the default hit test: a client hit
// becomes kHitSelection inside the selection frame, kHitPanel over a
// panel; nowhere counts as the canvas.
int CanvasHitCode(int defaultHit, bool insideSelectionFrame, bool overPanel);

enum class CanvasCursor { Arrow, SizeAll, Drag, No };
CanvasCursor CursorFor(int lastHit, bool dragging);

// A press must move this far (either way) before it becomes a drag, so
// that a click on the frame that wobbles a little moves nothing.
const long kDragThreshold = 4;

enum class DragPhase { Idle = 0, Pressed = 1, Dragging = 2 };

// Whether a panel showing `panelList` takes the pointer: while a
// placeholder is pressed or dragged only its own list does; while
// dragging the root list never does; and no list in the dragged item's
// own subtree ever does.
bool PanelTakesPointer(const CMenuList* panelList, DragPhase phase, const CMenuItem* dragItem,
                       const CMenuList* sourceList);

// Whether the dragged item goes before the hovered item: unless the
// pointer is nearer the item's bottom than its top (half-way counts as
// before). `itemBounds` and `y` in the same coordinates.
bool DropsBefore(const MenuRect& itemBounds, long y);

// The insertion mark in canvas client coordinates: the hovered item's top
// (before) or bottom edge, as wide as the item, of no height.
MenuRect InsertionMark(const MenuRect& itemBounds, const MenuRect& panelPosition, long offsetX, long offsetY,
                       bool before);

// What hovering an item during a drag does to the panels: open the
// hovered item's submenu beside it (never for a dragged placeholder, never
// the dragged item's own), or close the hovered panel's open child when it
// belongs to another item.
struct HoverAction {
    bool openSubmenu = false;
    bool closeChild = false;
};
HoverAction HoverItem(const CMenuItem* hoverItem, const CMenuItem* dragItem, const CMenuList* openChildList);

// What a release asks of the canvas.
struct DropDecision {
    // Move `item` before or after `anchor` (record it, move, clear redo),
    // then select it in its new list's panel.
    bool move = false;
    // Otherwise select `item` again in `sourceList`'s panel, when open.
    bool reselect = false;
    CMenuItem* item = nullptr;
    CMenuItem* anchor = nullptr;
    bool before = false;
    CMenuList* sourceList = nullptr;
};

// The press, threshold and release of one drag.
class CDragTracker {
public:
    DragPhase phase() const { return m_phase; }
    bool dragging() const { return m_phase == DragPhase::Dragging; }
    CMenuItem* item() const { return m_item; }
    CMenuList* sourceList() const { return m_source; }

    // A forwarded button-down. Starts a press only on the selection frame
    // while idle, with the selected item of `source`; true then (the canvas
    // captures the mouse).
    bool press(long x, long y, int hit, CMenuList* source, CMenuItem* item);

    // A move while pressed or dragging. True when the drag begins now: the
    // canvas closes the source panel's open child and removes the frame.
    // A press whose source list lost its panel never begins.
    bool move(long x, long y, bool sourceHasPanel);

    // The button-up. `anchor` is the item under the pointer (null when the
    // pointer is not over an item of a panel that takes it), `hit` the
    // canvas code at the pointer. Only a drag (never a mere press) can
    // move; a move needs a panel under the pointer and an anchor the item
    // may go beside. The tracker is idle afterwards.
    DropDecision release(CMenuItem* anchor, bool before, int hit);

    void reset();

private:
    DragPhase m_phase = DragPhase::Idle;
    long m_pressX = 0;
    long m_pressY = 0;
    CMenuItem* m_item = nullptr;
    CMenuList* m_source = nullptr;
};
