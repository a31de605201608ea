// The design canvas's keys, apart from any window: which panel selects
// which item for Enter, Home, End, arrows and page keys, and when
// Ctrl+Up/Down moves the selected item. The canvas fills a KeyContext
// from its panels, asks NavigateKey, and carries out the answer.
#pragma once

// The keys the canvas handles.
enum class NavKey { Other, Enter, Home, End, Left, Right, Up, Down, PageUp, PageDown };

// The key for a virtual-key code (VK_RETURN, VK_HOME ...); Other for the
// rest, which pass on to the accelerators.
NavKey NavKeyFromVirtualKey(int virtualKey);

// What the canvas knows when a key comes.
struct KeyContext {
    bool dragging = false;
    bool hasCurrentPanel = false;
    int selectedIndex = -1;   // in the current panel's list
    int count = 0;            // items of the current panel's list
    bool hasParentPanel = false;
    int openerIndex = -1;     // index in the parent panel of the item that opened the current one
    bool hasChildPanel = false;
    int childCurrentIndex = -1;
    int lastPanelCurrentIndex = -1;  // the most recently opened panel's list
};

// Which panel an answer concerns.
enum class NavPanel { Current, Root, Last, Parent, Child };

struct NavAction {
    enum Kind {
        None,            // nothing to do
        OpenProperties,  // post DM_ITEMSELECTED (1, current panel)
        Select,          // `panel` selects `index`
        Move,            // record a move of `index` next to `anchorIndex`, clear redo, select `selectAfter`
    };
    Kind kind = None;
    // The key is the canvas's and goes no further (even when it does
    // nothing, as Ctrl+Up on the first item).
    bool consumed = false;
    NavPanel panel = NavPanel::Current;
    int index = -1;
    int anchorIndex = -1;
    bool before = false;
    int selectAfter = -1;
};

// The answer for a key; keys while dragging or with no current panel are
// not the canvas's. Up and Down wrap around the list; with Ctrl they move
// the item (the placeholder too) one place, never past either end.
NavAction NavigateKey(NavKey key, bool ctrlHeld, const KeyContext& context);
