// The design canvas's scrolling, apart from any window: which scroll bars
// are shown and their ranges, how a scroll code moves a position, how wheel
// deltas become scroll steps, and how far the canvas must scroll to show a
// selected item. The canvas window sets its bars and moves its panels to
// what these compute.
#pragma once

#include "menuview/menulayout.h"

// One scroll unit in pixels; panels are drawn at -position x unit.
const long kScrollUnit = 10;
// Lines per page step of the scroll bars.
const int kScrollPage = 5;

// The state of the canvas's two bars.
struct ScrollBars {
    bool horz = false;
    bool vert = false;
    int maxH = 0;  // range 0..maxH, page size 1
    int maxV = 0;
    int posH = 0;
    int posV = 0;
};

// The bar sizes the layout needs (SM_CXVSCROLL, SM_CYHSCROLL).
struct BarMetrics {
    long vertWidth = 17;
    long horzHeight = 17;
};

// Decides the bars for panels reaching `extentWidth` x `extentHeight`
// (unscrolled) in a canvas whose client area is `clientWidth` x
// `clientHeight` with the bars of `current` shown. Decided twice: against
// the client size without any bar, then against that size less each bar
// the first pass found needed. Ranges are ceil((extent - client) / unit);
// positions are kept, clamped into the new range, and a hidden bar's
// position is 0, so panels return to their places when a bar goes away.
ScrollBars ComputeScrollBars(long extentWidth, long extentHeight, long clientWidth, long clientHeight,
                             const ScrollBars& current, const BarMetrics& metrics);

// The drawing offsets of the panels for the bars' positions.
inline long ScrollOffset(bool shown, int position)
{
    return shown ? -static_cast<long>(position) * kScrollUnit : 0;
}

// The scroll codes of the bars (SB_LINEUP .. SB_THUMBTRACK; left and right
// share the values of up and down).
enum ScrollCode {
    kScrollLineUp = 0,
    kScrollLineDown = 1,
    kScrollPageUp = 2,
    kScrollPageDown = 3,
    kScrollThumbPosition = 4,
    kScrollThumbTrack = 5,
};

// The position after a scroll code: lines by 1 and pages by kScrollPage
// within 0..maxPosition; a thumb position is taken when it lies in range.
// Other codes keep the position.
int ApplyScrollCode(int code, int position, int maxPosition, int thumbPosition);

// Which bar the wheel scrolls: none while dragging or when the bar of the
// direction (horizontal with Shift held) is hidden.
enum class WheelAxis { None, Horizontal, Vertical };
WheelAxis WheelTarget(bool shiftHeld, bool dragging, const ScrollBars& bars);

// Wheel deltas gathered per direction until they make whole notches (120).
// The canvas keeps one for the whole process, so that fine-grained wheels
// add up across messages.
class CWheelAccumulator {
public:
    // What a delta turns into: `count` messages of scroll code `code`
    // (line or page up/down). Count 0: nothing to do yet.
    struct Steps {
        int code = kScrollLineUp;
        int count = 0;
    };
    // Adds `delta` to the axis's sum and takes off whole notches; each
    // notch scrolls `wheelLines` lines (the system setting). A negative
    // setting (page-wise wheel scrolling) scrolls a page a notch; 0 lines
    // scrolls nothing.
    Steps add(WheelAxis axis, int delta, int wheelLines);

private:
    int m_sum[2] = {0, 0};
};

// What scrolling to a selected item gave: the bars' final positions and
// whether the item is wholly in view.
struct ScrollToShowResult {
    int posH = 0;
    int posV = 0;
    bool inView = false;
};

// How far to scroll so that `target` (an item's selection target in
// unscrolled canvas coordinates, see SelectionTarget) lies in a client
// area of `clientWidth` x `clientHeight`. Scrolls a line at a time as the
// panel's show-selection step does, vertically first; it stops when the
// item is in view, or when no step can move the view to a place not yet
// seen: an item larger than the canvas (or a minimised canvas) would
// otherwise be chased for ever. The caller marks the item in both cases.
ScrollToShowResult ScrollToShow(const MenuRect& target, const ScrollBars& bars, long clientWidth,
                                long clientHeight);
