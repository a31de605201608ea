#include "designer/canvasscroll.h"

#include <algorithm>

namespace {

// Units a bar must scroll to reach the far edge of the extent.
int UnitsBeyond(long extent, long client)
{
    const long excess = extent - client;
    return excess > 0 ? static_cast<int>((excess + kScrollUnit - 1) / kScrollUnit) : 0;
}

// Scrolls one axis a line at a time until [low, high) lies in [0, size).
// The leading edge wins when both cannot: a step that would turn back
// after steps the other way is the last one, and only taken when it
// brings the leading edge back into view.
int SettleAxis(long low, long high, long size, int position, int maxPosition)
{
    int lastDirection = 0;
    for (;;) {
        const long first = low - position * kScrollUnit;
        const long last = high - position * kScrollUnit;
        const int direction = first < 0 ? -1 : (last > size ? 1 : 0);
        if (direction == 0) break;
        const int next = std::min(std::max(position + direction, 0), maxPosition);
        if (next == position) break;
        if (lastDirection != 0 && direction != lastDirection) {
            if (direction < 0) position = next;
            break;
        }
        position = next;
        lastDirection = direction;
    }
    return position;
}

}  // namespace

ScrollBars ComputeScrollBars(long extentWidth, long extentHeight, long clientWidth, long clientHeight,
                             const ScrollBars& current, const BarMetrics& metrics)
{
    const long bareWidth = clientWidth + (current.vert ? metrics.vertWidth : 0);
    const long bareHeight = clientHeight + (current.horz ? metrics.horzHeight : 0);
    const bool horzFirst = bareWidth < extentWidth;
    const bool vertFirst = bareHeight < extentHeight;

    ScrollBars bars;
    bars.horz = bareWidth - (vertFirst ? metrics.vertWidth : 0) < extentWidth;
    bars.vert = bareHeight - (horzFirst ? metrics.horzHeight : 0) < extentHeight;
    const long width = bareWidth - (bars.vert ? metrics.vertWidth : 0);
    const long height = bareHeight - (bars.horz ? metrics.horzHeight : 0);
    if (bars.horz) {
        bars.maxH = UnitsBeyond(extentWidth, width);
        bars.posH = current.horz ? std::min(std::max(current.posH, 0), bars.maxH) : 0;
    }
    if (bars.vert) {
        bars.maxV = UnitsBeyond(extentHeight, height);
        bars.posV = current.vert ? std::min(std::max(current.posV, 0), bars.maxV) : 0;
    }
    return bars;
}

int ApplyScrollCode(int code, int position, int maxPosition, int thumbPosition)
{
    int next = position;
    switch (code) {
    case kScrollLineUp: next = position - 1; break;
    case kScrollLineDown: next = position + 1; break;
    case kScrollPageUp: next = position - kScrollPage; break;
    case kScrollPageDown: next = position + kScrollPage; break;
    case kScrollThumbPosition:
    case kScrollThumbTrack:
        if (thumbPosition >= 0 && thumbPosition <= maxPosition) next = thumbPosition;
        break;
    default: break;
    }
    return std::min(std::max(next, 0), std::max(maxPosition, 0));
}

WheelAxis WheelTarget(bool shiftHeld, bool dragging, const ScrollBars& bars)
{
    if (dragging) return WheelAxis::None;
    if (shiftHeld) return bars.horz ? WheelAxis::Horizontal : WheelAxis::None;
    return bars.vert ? WheelAxis::Vertical : WheelAxis::None;
}

CWheelAccumulator::Steps CWheelAccumulator::add(WheelAxis axis, int delta, int wheelLines)
{
    Steps steps;
    if (axis == WheelAxis::None) return steps;
    int& sum = m_sum[axis == WheelAxis::Horizontal ? 0 : 1];
    sum += delta;
    int notches = 0;
    while (sum >= 120) {
        sum -= 120;
        ++notches;
    }
    while (sum <= -120) {
        sum += 120;
        --notches;
    }
    if (notches == 0) return steps;
    const bool up = notches > 0;
    const int count = up ? notches : -notches;
    if (wheelLines < 0) {
        steps.code = up ? kScrollPageUp : kScrollPageDown;
        steps.count = count;
    } else {
        steps.code = up ? kScrollLineUp : kScrollLineDown;
        steps.count = count * wheelLines;
    }
    return steps;
}

ScrollToShowResult ScrollToShow(const MenuRect& target, const ScrollBars& bars, long clientWidth,
                                long clientHeight)
{
    ScrollToShowResult result;
    result.posV = bars.vert ? SettleAxis(target.top, target.bottom, clientHeight, bars.posV, bars.maxV) : 0;
    result.posH = bars.horz ? SettleAxis(target.left, target.right, clientWidth, bars.posH, bars.maxH) : 0;
    const MenuRect shown = {target.left - result.posH * kScrollUnit, target.top - result.posV * kScrollUnit,
                            target.right - result.posH * kScrollUnit, target.bottom - result.posV * kScrollUnit};
    result.inView = shown.left >= 0 && shown.top >= 0 && shown.right <= clientWidth && shown.bottom <= clientHeight;
    return result;
}
