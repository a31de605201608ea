// The geometry of the designer's menu panels, apart from any window: the
// layout of a panel's items, where a submenu's panel opens, where an item
// lies on the canvas, and how an open chain of child panels follows its
// openers after a panel changed size. The panel windows only move
// themselves to what these functions compute.
#pragma once

#include <vector>

#include "menuview/menulayout.h"

// The root panel's content is this wide, whatever its captions measure, so
// that the designer shows the root as narrow as the run-time root can be.
const long kRootPanelContentWidth = 94;

// Lays out a panel's list: every item's bounds inside the panel (left 3,
// tops from 3) and the panel rectangle (left and top 0) with its frame.
// Content width: kRootPanelContentWidth for the root list, otherwise the
// widest caption plus three check widths.
MenuRect LayoutPanel(CMenuList& list, const MenuMetrics& metrics, const MeasureText& measure);

// A rectangle moved by (dx, dy), and one grown by (dx, dy) on each side.
MenuRect MovedRect(const MenuRect& rect, long dx, long dy);
MenuRect GrownRect(const MenuRect& rect, long dx, long dy);
bool RectsEqual(const MenuRect& a, const MenuRect& b);
bool RectContains(const MenuRect& rect, long x, long y);

// An item's bounds in unscrolled canvas coordinates, for a panel at
// `panelPosition`.
MenuRect ItemCanvasRect(const MenuRect& itemBounds, const MenuRect& panelPosition);

// The rectangle that must be in view for a selected item to count as
// visible: its canvas rectangle moved by the scroll offsets (canvas client
// coordinates) and grown by 3 horizontally and 2 vertically. The hatched
// selection frame is this rectangle grown by 3 more on each side.
MenuRect SelectionTarget(const MenuRect& itemBounds, const MenuRect& panelPosition, long offsetX, long offsetY);
MenuRect SelectionFrame(const MenuRect& selectionTarget);

// Where the panel of a submenu opens: its top-left at the opener item's
// right edge and top, in unscrolled canvas coordinates.
void ChildPanelOrigin(const MenuRect& openerBounds, const MenuRect& parentPosition, long& left, long& top);

// How an open child panel follows the item that opened it after that item
// moved: its left edge to the item's right edge, its top to the item's top,
// or both. The panel keeps its size.
enum class ReattachMode { Left = 0, Top = 1, Both = 2 };

// One open panel of a chain, top first: its rectangle, and for every panel
// but the first the bounds (inside its parent panel) of the item that
// opened it.
struct ChainPanel {
    MenuRect position;
    MenuRect openerBounds;
};

// Moves every panel after the first so that it is attached to its opener
// again, walking down the chain (each panel follows its parent's new
// place). The first panel is where the change happened and stays put.
void ReattachChain(std::vector<ChainPanel>& chain, ReattachMode mode);
