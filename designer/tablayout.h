// The property palette's tab strip, apart from any window: where the tabs
// go for their caption widths, when the strip needs its two scroll buttons
// and which of them can be pressed, how those buttons scroll the strip, how
// the tab keys step through the tabs, and where the current tab is drawn.
// The palette measures the captions, then draws and hit-tests what these
// compute.
#pragma once

#include <vector>

struct TabBox {
    long left = 0;
    long top = 0;
    long right = 0;
    long bottom = 0;
};

// Fixed measures of the strip, in palette client pixels.
const long kTabHeight = 22;
const long kTabTopGap = 4;       // between the strip's top and the tabs
const long kTabExtraWidth = 33;  // added to a caption's width in the bold font
const long kTabStripMargin = 5;  // from the client's right edge or the scroll buttons
const long kTabScrollButtonSize = 16;
const long kTabScrollButtonsTop = 11;
// The scroll buttons' left edges are the client width less these.
const long kTabScrollLeftOffset = 42;
const long kTabScrollRightOffset = 26;

// The strip's scrolling: the first tab wholly shown and the pixel offset
// that puts it at the strip's left edge (0 or negative).
struct TabScroll {
    int firstVisible = 0;
    long offset = 0;
};

struct TabStripLayout {
    std::vector<TabBox> tabs;
    TabBox strip;
    // Once the tabs did not fit the buttons stay, so this is sticky.
    bool buttonsShown = false;
    bool scrollLeftEnabled = false;
    bool scrollRightEnabled = false;
};

// Lays tabs of these caption widths out in a strip starting at
// (`stripLeft`, `stripTop`) of a client area `clientWidth` wide, shifted by
// `scroll.offset`. `buttonsShown` is whether the buttons are already shown.
TabStripLayout LayoutTabs(const std::vector<long>& captionWidths, long stripLeft, long stripTop, long clientWidth,
                          const TabScroll& scroll, bool buttonsShown);

// Whether a tab is drawn (and can be clicked): only tabs wholly inside the
// strip are.
bool TabWhollyInside(const TabBox& tab, const TabBox& strip);

// The index of the shown tab under (x, y); -1 for none.
int TabAt(const TabStripLayout& layout, long x, long y);

// The right scroll button: the strip moves one tab further, by the width of
// the tab at the present first visible one. The left button undoes exactly
// that, so left after right restores the strip. Both do nothing at the
// ends (the first tab, or no further tab).
TabScroll ScrollTabsRight(const TabScroll& scroll, const TabStripLayout& layout);
TabScroll ScrollTabsLeft(const TabScroll& scroll, const TabStripLayout& layout);

// The tab after (`forward`) or before `current` among `count`, wrapping at
// both ends; -1 when there are no tabs.
int StepTab(int current, int count, bool forward);

// Where the current tab is drawn: wider by 3 pixels on the left unless it
// is the leftmost shown tab, and on the right when the next tab is shown;
// raised 2 pixels at the top and reaching 3 further down, into the page.
TabBox CurrentTabFace(const TabStripLayout& layout, int current);
