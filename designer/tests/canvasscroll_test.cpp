#include "designer/canvasscroll.h"

#include <gtest/gtest.h>

namespace {

ScrollBars Bars(bool horz, bool vert, int posH = 0, int posV = 0, int maxH = 0, int maxV = 0)
{
    ScrollBars bars;
    bars.horz = horz;
    bars.vert = vert;
    bars.posH = posH;
    bars.posV = posV;
    bars.maxH = maxH;
    bars.maxV = maxV;
    return bars;
}

// A canvas whose client area is 300 x 200 without bars; bars are 17 wide.
TEST(CanvasScrollTest, BarsAreDecidedInTwoPasses)
{
    const struct {
        const char* what;
        long extentW, extentH;
        ScrollBars current;  // the client size given is 300 x 200 less these bars
        bool horz, vert;
        int maxH, maxV, posH, posV;
    } cases[] = {
        {"everything fits", 300, 200, Bars(false, false), false, false, 0, 0, 0, 0},
        {"too wide", 301, 100, Bars(false, false), true, false, 1, 0, 0, 0},
        {"too high", 100, 245, Bars(false, false), false, true, 0, 5, 0, 0},
        // Fits the bare width, but not beside the vertical bar.
        {"the second pass adds a bar", 290, 400, Bars(false, false), true, true, 1, 22, 0, 0},
        {"positions kept", 600, 400, Bars(true, true, 3, 4), true, true, 32, 22, 3, 4},
        {"positions clamped into a shrunk range", 320, 230, Bars(true, true, 30, 20), true, true, 4, 5, 4, 5},
        // The panels shrank: both bars go and the panels return home.
        {"bars disappear", 250, 150, Bars(true, true, 30, 20), false, false, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const long clientW = 300 - (c.current.vert ? 17 : 0);
        const long clientH = 200 - (c.current.horz ? 17 : 0);
        const ScrollBars bars = ComputeScrollBars(c.extentW, c.extentH, clientW, clientH, c.current, BarMetrics());
        EXPECT_EQ(c.horz, bars.horz);
        EXPECT_EQ(c.vert, bars.vert);
        EXPECT_EQ(c.maxH, bars.maxH);
        EXPECT_EQ(c.maxV, bars.maxV);
        EXPECT_EQ(c.posH, bars.posH);
        EXPECT_EQ(c.posV, bars.posV);
        EXPECT_EQ(-10L * c.posH, ScrollOffset(bars.horz, bars.posH));
    }
    EXPECT_EQ(0, ScrollOffset(false, 7));
}

TEST(CanvasScrollTest, ScrollCodesStayInTheRange)
{
    const struct {
        int code, position, thumb, expected;
    } cases[] = {
        {kScrollLineUp, 3, 0, 2},          {kScrollLineUp, 0, 0, 0},
        {kScrollLineDown, 3, 0, 4},        {kScrollLineDown, 8, 0, 8},
        {kScrollPageUp, 7, 0, 2},          {kScrollPageUp, 3, 0, 0},
        {kScrollPageDown, 1, 0, 6},        {kScrollPageDown, 6, 0, 8},
        {kScrollThumbTrack, 1, 5, 5},      {kScrollThumbPosition, 1, 9, 1},
        {kScrollThumbPosition, 1, -1, 1},  {8 /* SB_ENDSCROLL */, 4, 0, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " from " << c.position);
        EXPECT_EQ(c.expected, ApplyScrollCode(c.code, c.position, 8, c.thumb));
    }
}

TEST(CanvasScrollTest, TheWheelScrollsTheLinesSettingANotch)
{
    const ScrollBars vertOnly = Bars(false, true);
    EXPECT_EQ(WheelAxis::Vertical, WheelTarget(false, false, vertOnly));
    EXPECT_EQ(WheelAxis::None, WheelTarget(true, false, vertOnly));  // Shift without a horizontal bar
    EXPECT_EQ(WheelAxis::None, WheelTarget(false, true, vertOnly));  // while dragging
    EXPECT_EQ(WheelAxis::Horizontal, WheelTarget(true, false, Bars(true, false)));
    EXPECT_EQ(WheelAxis::None, WheelTarget(false, false, Bars(true, false)));

    CWheelAccumulator wheel;
    CWheelAccumulator::Steps steps = wheel.add(WheelAxis::Vertical, 240, 3);
    EXPECT_EQ(kScrollLineUp, steps.code);
    EXPECT_EQ(6, steps.count);
    steps = wheel.add(WheelAxis::Vertical, -120, 3);
    EXPECT_EQ(kScrollLineDown, steps.code);
    EXPECT_EQ(3, steps.count);

    // Fine-grained deltas add up per direction until a notch is whole.
    EXPECT_EQ(0, wheel.add(WheelAxis::Vertical, 60, 3).count);
    EXPECT_EQ(0, wheel.add(WheelAxis::Horizontal, -90, 3).count);
    EXPECT_EQ(3, wheel.add(WheelAxis::Vertical, 60, 3).count);
    steps = wheel.add(WheelAxis::Horizontal, -30, 3);
    EXPECT_EQ(kScrollLineDown, steps.code);
    EXPECT_EQ(3, steps.count);
    EXPECT_EQ(0, wheel.add(WheelAxis::None, 240, 3).count);

    // Page-wise wheel scrolling (the setting reads as -1): a page a notch.
    steps = wheel.add(WheelAxis::Vertical, 240, -1);
    EXPECT_EQ(kScrollPageUp, steps.code);
    EXPECT_EQ(2, steps.count);
}

// Selection targets in unscrolled canvas coordinates, scrolled into a
// 300 x 200 client area by line steps of 10 pixels.
TEST(CanvasScrollTest, ScrollingToTheSelectionEndsEvenWhenTheItemCannotFit)
{
    const struct {
        const char* what;
        MenuRect target;
        ScrollBars bars;
        long clientW, clientH;
        int posH, posV;
        bool inView;
    } cases[] = {
        {"already in view", {10, 10, 90, 30}, Bars(true, true, 0, 0, 20, 20), 300, 200, 0, 0, true},
        {"below", {10, 250, 90, 271}, Bars(true, true, 0, 0, 20, 20), 300, 200, 0, 8, true},
        {"above and left", {40, 30, 90, 51}, Bars(true, true, 9, 9, 20, 20), 300, 200, 4, 3, true},
        {"right", {350, 10, 420, 31}, Bars(true, true, 0, 0, 20, 20), 300, 200, 12, 0, true},
        {"beyond the range", {10, 500, 90, 521}, Bars(true, true, 0, 0, 20, 20), 300, 200, 0, 20, false},
        // A caption wider than the canvas: its left edge stays in view.
        {"wider than the canvas", {105, 10, 515, 31}, Bars(true, true, 0, 0, 40, 20), 300, 200, 10, 0, false},
        {"wider, scrolled past it", {105, 10, 515, 31}, Bars(true, true, 30, 0, 40, 20), 300, 200, 10, 0, false},
        // Fits, but no 10-pixel step brings both edges in: the steps would
        // go up and down for ever.
        {"no step fits", {10, 205, 90, 229}, Bars(true, true, 0, 0, 20, 40), 300, 25, 0, 20, false},
        {"minimised", {10, 250, 90, 271}, Bars(true, true, 0, 0, 40, 40), 0, 0, 1, 25, false},
        {"no bars", {10, 250, 90, 271}, Bars(false, false), 300, 200, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ScrollToShowResult result = ScrollToShow(c.target, c.bars, c.clientW, c.clientH);
        EXPECT_EQ(c.posH, result.posH);
        EXPECT_EQ(c.posV, result.posV);
        EXPECT_EQ(c.inView, result.inView);
    }
}

}  // namespace
