// The geometry of a run-time menu window, apart from any window: the layout
// of its items, where the root menu goes against another program's pop-up,
// where a submenu goes beside its item, and which item a point falls on.
#pragma once

#include "menudoc/menulist.h"

#include <functional>
#include <string>

typedef ItemBounds MenuRect;

// The shared menu metrics, read once from the system.
struct MenuMetrics {
    int itemHeight = 17;       // SM_CYMENU - 2
    int separatorHeight = 8;   // itemHeight / 2
    int checkWidth = 13;       // SM_CXMENUCHECK
    int iconWidth = 16;        // SM_CXSMICON
    int iconHeight = 16;       // SM_CYSMICON
};

// The frame of a menu window (a dialog frame) takes 3 pixels on each side.
const int kMenuFrame = 3;
// The root menu is never narrower than this.
const int kRootMinWidth = 100;

// Width in pixels of a caption in the menu font.
typedef std::function<long(const std::string&)> MeasureText;

// Sets every item's bounds, top to bottom from 0, and returns the window
// rectangle (left and top 0) with the frame included.
MenuRect LayoutMenu(CMenuList& list, const MenuMetrics& metrics, const MeasureText& measure);

// The root window's screen rectangle against the pop-up `anchor`: above it
// when the click is at least as far from its bottom as from its top, else
// below; turned round when that side leaves `workArea` (the work area of the
// monitor that holds the pop-up); as wide as the anchor and at least
// kRootMinWidth, moved left where that width would leave the work area.
MenuRect PlaceRoot(const MenuRect& anchor, long clickY, long windowHeight, const MenuRect& workArea);

// Stretches every item across a root window `windowWidth` wide.
void StretchRootItems(CMenuList& list, long windowWidth);

// A submenu of the given size beside `anchor` (its item's screen bounds):
// right with tops aligned, right with bottoms aligned, left with tops
// aligned, left with bottoms aligned; the first that lies inside `workArea`
// (the work area of the monitor that holds the item). When none fits, false,
// with the submenu on the roomier side shifted into the work area.
bool PlaceSubmenu(const MenuRect& anchor, long width, long height, const MenuRect& workArea, long& left, long& top);

// The first item whose bounds hold the point; -1 when none.
int HitTestItems(const CMenuList& list, long x, long y);
