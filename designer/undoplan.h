// Undo and redo as the design canvas carries them out. The history changes
// the tree; the plan says what the screen must do afterwards, so that the
// canvas runs one sequence for every kind of step instead of a branch per
// kind and direction:
//   1. close the open child panel of each list in `closeChildOf` (its
//      submenu panels may show lists that moved or left the tree);
//   2. lay out again the open panels of `relayout`, as `screenWork` says;
//   3. update the scroll range when `updateScrollRange`;
//   4. `showItem` (`show`): open the panels down to it and select it with
//      a synthesized click (which refreshes a shown palette);
//   5. when `refreshPalette`, give a shown palette the item's panel again;
//   6. rebuild the title (every step, so the asterisk follows the history).
#pragma once

class CEditHistory;
class CMenuItem;
class CMenuList;

enum class HistoryStep { Undo, Redo };

// How the panels of `relayout` are laid out again.
enum class ScreenWork {
    None,         // nothing changed in size or look (only the selection)
    Relayout,     // lay the panel out again and resize it (items came, went or changed height)
    AroundItem,   // the item's caption changed: relayoutAround (item's index), child chain follows
    RepaintItem,  // the item's icon changed: repaint its rectangle
    Submenu,      // the item's submenu came or went: afterSubmenuFlagChange (item's index)
};

struct UndoPlan {
    // False when nothing was applied: an empty stack (the canvas beeps) or
    // a refused step.
    bool applied = false;
    // The step would have put an item into its own submenu (a loop in the
    // tree); it is left on its stack and the tree is unchanged.
    bool refused = false;
    int kind = 0;
    int changeType = 0;
    // The item the step concerns (null when it no longer exists).
    CMenuItem* item = nullptr;
    CMenuList* closeChildOf[2] = {nullptr, nullptr};
    CMenuList* relayout[2] = {nullptr, nullptr};
    ScreenWork screenWork = ScreenWork::None;
    bool updateScrollRange = false;
    CMenuItem* show = nullptr;
    bool refreshPalette = false;
};

// Applies the newest undo or redo step to the tree (through the history)
// and says what the screen must do. The item of a step that puts an item
// back or moves it is checked first: a step that would place an item into
// its own subtree is refused.
UndoPlan RunHistoryStep(CEditHistory& history, HistoryStep step);
