// Moving an item within the menu tree, as the canvas does for a drop, for
// Ctrl+Up/Down and for the new-item command: the rule that keeps an item
// out of its own submenu, the recorded move itself, and which of the two
// lists holds the other (whose open child panels must follow).
#pragma once

class CEditHistory;
class CMenuItem;
class CMenuList;

// True when `list` is the item's own submenu or lies anywhere below it:
// putting the item there would make the tree a loop.
bool IsInOwnSubtree(const CMenuItem* item, const CMenuList* list);

// Whether `item` may go next to `anchor`: both in lists, not the same
// item, and the anchor's list not in the item's own subtree.
bool CanMoveNextTo(const CMenuItem* item, const CMenuItem* anchor);

// What a move changed, for the screen: the list the item left, the list
// it is in now, and whichever of the two holds the other as a submenu
// somewhere below (null when neither, or when they are the same list).
struct MoveResult {
    bool moved = false;
    CMenuList* source = nullptr;
    CMenuList* target = nullptr;
    CMenuList* nested = nullptr;
};

// The list of the two that holds the other somewhere below it, or null.
CMenuList* NestedList(CMenuList* source, CMenuList* target);

// Records a move of `item` (kind 4, where it stands now) on the history's
// undo stack, then puts it before or after `anchor`. Nothing happens, and
// nothing is recorded, when CanMoveNextTo refuses. The redo stack is left
// alone: the caller clears it (every move but the new-item command's does).
MoveResult MoveItemRecorded(CEditHistory& history, CMenuItem* item, CMenuItem* anchor, bool before);
