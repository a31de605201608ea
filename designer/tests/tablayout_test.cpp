#include "designer/tablayout.h"

#include <gtest/gtest.h>

namespace {

// Captions 40, 60 and 50 pixels wide give tabs of 73, 93 and 83 (249 in
// all); the strip starts at x 58, y 0.
const std::vector<long> kThree = {40, 60, 50};
const long kLeft = 58;

TEST(TabLayoutTest, TabsSitSideBySideBelowTheStripTop)
{
    const TabStripLayout layout = LayoutTabs(kThree, kLeft, 0, 520, TabScroll(), false);
    ASSERT_EQ(layout.tabs.size(), 3u);
    const long lefts[] = {58, 131, 224};
    const long rights[] = {131, 224, 307};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(layout.tabs[i].left, lefts[i]);
        EXPECT_EQ(layout.tabs[i].right, rights[i]);
        EXPECT_EQ(layout.tabs[i].top, 4);
        EXPECT_EQ(layout.tabs[i].bottom, 26);
    }
    EXPECT_FALSE(layout.buttonsShown);
    EXPECT_EQ(layout.strip.right, 515);
    EXPECT_FALSE(layout.scrollLeftEnabled);
    EXPECT_FALSE(layout.scrollRightEnabled);
}

TEST(TabLayoutTest, ScrollButtonsAppearWhenTheTabsNoLongerFitAndThenStay)
{
    // The tabs end at x 307: they fit a client of 312 (307 = 312 - 5).
    const struct {
        const char* what;
        long clientWidth;
        bool alreadyShown;
        TabScroll scroll;
        bool shown;
        long stripRight;
        bool left, right;
    } cases[] = {
        {"just fits", 312, false, TabScroll(), false, 307, false, false},
        {"one pixel too wide", 311, false, TabScroll(), true, 311 - 47, false, true},
        {"shown once, kept", 600, true, TabScroll(), true, 600 - 47, false, false},
        {"scrolled by one tab", 311, true, TabScroll{1, -73}, true, 311 - 47, true, false},
        {"first tab cut on the left", 400, true, TabScroll{0, -1}, true, 400 - 47, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TabStripLayout layout = LayoutTabs(kThree, kLeft, 0, c.clientWidth, c.scroll, c.alreadyShown);
        EXPECT_EQ(layout.buttonsShown, c.shown);
        EXPECT_EQ(layout.strip.right, c.stripRight);
        EXPECT_EQ(layout.scrollLeftEnabled, c.left);
        EXPECT_EQ(layout.scrollRightEnabled, c.right);
    }
}

TEST(TabLayoutTest, ASingleTabNeverScrolls)
{
    const TabStripLayout layout = LayoutTabs({500}, kLeft, 0, 300, TabScroll(), false);
    EXPECT_TRUE(layout.buttonsShown);
    EXPECT_FALSE(layout.scrollLeftEnabled);
    EXPECT_FALSE(layout.scrollRightEnabled);
    EXPECT_EQ(ScrollTabsRight(TabScroll(), layout).offset, 0);
}

TEST(TabLayoutTest, ScrollingRightThenLeftRestoresTheStrip)
{
    const long client = 250;  // strip 58..203: only the first tab shows unscrolled
    TabScroll scroll;
    TabStripLayout layout = LayoutTabs(kThree, kLeft, 0, client, scroll, false);
    EXPECT_TRUE(layout.scrollRightEnabled);

    scroll = ScrollTabsRight(scroll, layout);
    EXPECT_EQ(scroll.firstVisible, 1);
    EXPECT_EQ(scroll.offset, -73);
    layout = LayoutTabs(kThree, kLeft, 0, client, scroll, layout.buttonsShown);
    EXPECT_EQ(layout.tabs[1].left, kLeft);  // the second tab now starts the strip
    EXPECT_TRUE(layout.scrollLeftEnabled);

    scroll = ScrollTabsRight(scroll, layout);
    scroll = ScrollTabsRight(scroll, LayoutTabs(kThree, kLeft, 0, client, scroll, true));
    EXPECT_EQ(scroll.firstVisible, 2);  // the last tab: no further
    EXPECT_EQ(scroll.offset, -166);

    for (int i = 0; i < 3; ++i) scroll = ScrollTabsLeft(scroll, LayoutTabs(kThree, kLeft, 0, client, scroll, true));
    EXPECT_EQ(scroll.firstVisible, 0);
    EXPECT_EQ(scroll.offset, 0);
    layout = LayoutTabs(kThree, kLeft, 0, client, scroll, true);
    EXPECT_EQ(layout.tabs[0].left, kLeft);
    EXPECT_FALSE(layout.scrollLeftEnabled);
}

TEST(TabLayoutTest, TabKeysWrapAtBothEnds)
{
    const struct {
        int current, count;
        bool forward;
        int expected;
    } cases[] = {
        {0, 3, true, 1}, {2, 3, true, 0}, {0, 3, false, 2}, {1, 3, false, 0},
        {0, 1, true, 0}, {0, 1, false, 0}, {-1, 3, true, 0}, {-1, 3, false, 2}, {-1, 0, true, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.current << " of " << c.count << (c.forward ? " forward" : " back"));
        EXPECT_EQ(StepTab(c.current, c.count, c.forward), c.expected);
    }
}

TEST(TabLayoutTest, OnlyShownTabsAreHit)
{
    const TabStripLayout layout = LayoutTabs(kThree, kLeft, 0, 300, TabScroll(), false);  // strip 58..253
    const struct {
        long x, y;
        int expected;
    } cases[] = {
        {58, 4, 0}, {130, 25, 0}, {131, 10, 1}, {57, 10, -1}, {100, 3, -1}, {100, 26, -1},
        {230, 10, -1},  // the third tab runs past the strip's end
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(TabAt(layout, c.x, c.y), c.expected);
    }
}

TEST(TabLayoutTest, TheCurrentTabWidensTowardsShownNeighbours)
{
    const TabStripLayout all = LayoutTabs(kThree, kLeft, 0, 520, TabScroll(), false);
    const TabStripLayout scrolled = LayoutTabs(kThree, kLeft, 0, 311, TabScroll{1, -73}, true);
    const struct {
        const char* what;
        const TabStripLayout& layout;
        int current;
        long left, right;
    } cases[] = {
        {"first", all, 0, 58, 134},
        {"middle", all, 1, 128, 227},
        {"last", all, 2, 221, 307},
        {"leftmost shown after scrolling", scrolled, 1, 58, 154},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TabBox face = CurrentTabFace(c.layout, c.current);
        EXPECT_EQ(face.left, c.left);
        EXPECT_EQ(face.right, c.right);
        EXPECT_EQ(face.top, 2);
        EXPECT_EQ(face.bottom, 29);
    }
}

}  // namespace
