// Draws one menu item the way the run-time menu shows it: the run-time menu
// window and the designer's panels both paint through here, so the designer
// shows exactly what the user will get.
#pragma once

#include <windows.h>

#include "menuview/menulayout.h"

class CMenuItem;

// Which items get the submenu arrow.
enum class ArrowRule {
    // Only an item whose submenu opens when hovered: the run-time menu
    // promises nothing that will not open.
    OpensSubmenu,
    // Every item marked as having a submenu, whether its list exists yet or
    // not: the designer shows what the item was made to be.
    SubmenuFlag,
};

struct ItemPaintStyle {
    // Highlight colours instead of the plain menu colours.
    bool selected = false;
    // Every item of the root list shows this icon instead of its own.
    bool inRootList = false;
    HICON rootIcon = nullptr;
    ArrowRule arrow = ArrowRule::OpensSubmenu;
};

// True when hovering the item in a run-time menu opens a submenu.
bool OpensSubmenu(const CMenuItem& item);
// Whether the item gets the arrow under `rule`.
bool ShowsSubmenuArrow(const CMenuItem& item, ArrowRule rule);

// Draws `item` inside its bounds into `dc`, whose font is the menu font.
void PaintMenuItem(HDC dc, const CMenuItem& item, const MenuMetrics& metrics, const ItemPaintStyle& style);
