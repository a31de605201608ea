#include "menuview/menulayout.h"

#include "menudoc/menudocument.h"

#include <gtest/gtest.h>

namespace {

MenuRect Rect(long left, long top, long right, long bottom)
{
    MenuRect r;
    r.left = left;
    r.top = top;
    r.right = right;
    r.bottom = bottom;
    return r;
}

// Captions measure 7 pixels a character.
long Measure(const std::string& text)
{
    return static_cast<long>(text.size()) * 7;
}

class MenuLayoutTest : public ::testing::Test {
protected:
    MenuLayoutTest()
    {
        list = document.newMenu(nullptr);
        list->isRoot = 1;
    }
    CMenuItem* Add(const char* caption, int separator = 0)
    {
        CMenuItem* item = list->appendNew(0);
        item->caption = caption;
        item->separator = separator;
        return item;
    }

    CMenuDocument document;
    CMenuList* list;
    MenuMetrics metrics;  // item 17, separator 8, check 13
};

TEST_F(MenuLayoutTest, ItemsStackWithTheWidestCaptionAndTheFrame)
{
    Add("Short");
    Add("", 1);
    Add("A longer caption");
    const MenuRect window = LayoutMenu(*list, metrics, Measure);

    const long itemWidth = 16 * 7 + 3 * 13;
    EXPECT_EQ(0, window.left);
    EXPECT_EQ(itemWidth + 6, window.right);
    EXPECT_EQ(17 + 8 + 17 + 6, window.bottom);
    const long tops[] = {0, 17, 25};
    const long bottoms[] = {17, 25, 42};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(0, list->items[i]->bounds.left);
        EXPECT_EQ(itemWidth, list->items[i]->bounds.right);
        EXPECT_EQ(tops[i], list->items[i]->bounds.top);
        EXPECT_EQ(bottoms[i], list->items[i]->bounds.bottom);
    }
}

TEST_F(MenuLayoutTest, SeparatorCaptionsAreNotMeasuredAndAnEmptyMenuIsOnlyItsFrame)
{
    EXPECT_EQ(6, LayoutMenu(*list, metrics, Measure).bottom);
    Add("a caption that a separator carries", 1);
    const MenuRect window = LayoutMenu(*list, metrics, Measure);
    EXPECT_EQ(3 * 13 + 6, window.right);
    EXPECT_EQ(8 + 6, window.bottom);
}

TEST_F(MenuLayoutTest, HitTestFindsTheFirstItemHoldingThePoint)
{
    Add("One");
    Add("", 1);
    Add("Two");
    LayoutMenu(*list, metrics, Measure);
    const struct {
        long x, y;
        int index;
    } cases[] = {
        {0, 0, 0}, {10, 16, 0}, {10, 17, 1}, {10, 24, 1}, {10, 25, 2},
        {10, 41, 2}, {10, 42, -1}, {-1, 5, -1}, {3 * 7 + 39, 5, -1}, {3 * 7 + 38, 5, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.index, HitTestItems(*list, c.x, c.y)) << c.x << "," << c.y;
}

TEST(RootPlacement, OpensOnTheFartherSideOfTheClickAndTurnsAtTheScreenEdges)
{
    const MenuRect screen = Rect(0, 0, 1024, 768);
    const struct {
        const char* name;
        MenuRect anchor;
        long clickY;
        long height;
        long top;
    } cases[] = {
        // Click in the lower half: room below the click's side, so downwards.
        {"lower half opens down", Rect(100, 200, 300, 400), 350, 50, 400},
        // Upper half (and the exact middle) opens upwards.
        {"upper half opens up", Rect(100, 200, 300, 400), 250, 50, 150},
        {"middle opens up", Rect(100, 200, 300, 400), 300, 50, 150},
        // Near the bottom of the screen, click in the lower half: no room below.
        {"no room below turns up", Rect(100, 600, 300, 740), 700, 50, 550},
        // Upper half but the pop-up is at the top of the screen: down instead.
        {"no room above turns down", Rect(100, 20, 300, 200), 40, 50, 200},
        // Fits exactly above (top - height == 0).
        {"exactly fits above", Rect(100, 50, 300, 200), 60, 50, 0},
        // Fits exactly below (bottom + height == screen).
        {"exactly fits below", Rect(100, 100, 300, 718), 700, 50, 718},
        // Neither side fits: below.
        {"fits nowhere goes down", Rect(0, 30, 200, 740), 700, 50, 740},
    };
    for (const auto& c : cases) {
        const MenuRect placed = PlaceRoot(c.anchor, c.clickY, c.height, screen);
        EXPECT_EQ(c.top, placed.top) << c.name;
        EXPECT_EQ(c.top + c.height, placed.bottom) << c.name;
        EXPECT_EQ(c.anchor.left, placed.left) << c.name;
        EXPECT_EQ(c.anchor.right, placed.right) << c.name;
    }
}

TEST(RootPlacement, IsNeverNarrowerThanOneHundredPixels)
{
    const MenuRect screen = Rect(0, 0, 1024, 768);
    EXPECT_EQ(150, PlaceRoot(Rect(50, 100, 90, 200), 150, 30, screen).right);
    EXPECT_EQ(150, PlaceRoot(Rect(50, 100, 150, 200), 150, 30, screen).right);
    EXPECT_EQ(151, PlaceRoot(Rect(50, 100, 151, 200), 150, 30, screen).right);
    // Widened at the right edge of its monitor: moved left, not onto the next.
    const MenuRect placed = PlaceRoot(Rect(980, 100, 1020, 200), 150, 30, screen);
    EXPECT_EQ(924, placed.left);
    EXPECT_EQ(1024, placed.right);
}

// Monitors of a desktop as the system reports their work areas: the primary
// at the origin with a taskbar at its foot, others around it.
const MenuRect kPrimary = Rect(0, 0, 1920, 1040);
const MenuRect kRightTaller = Rect(1920, -200, 3360, 2360);
const MenuRect kLeftShorter = Rect(-1280, 300, 0, 1024);
const MenuRect kAbove = Rect(0, -1080, 1920, 0);

TEST(RootPlacement, TurnsAtTheEdgesOfTheMonitorThatHoldsThePopup)
{
    const struct {
        const char* name;
        MenuRect workArea;
        MenuRect anchor;
        long clickY;
        long top;
    } cases[] = {
        // Lower half near the primary's foot: turns up within the primary.
        {"primary, near the taskbar", kPrimary, Rect(100, 900, 300, 1030), 1000, 850},
        // Below the primary's height but well inside a taller right monitor:
        // opens down as asked, where the primary's height would turn it.
        {"taller monitor right", kRightTaller, Rect(2000, 1200, 2200, 1300), 1290, 1300},
        // Near the foot of the taller monitor it turns up there.
        {"taller monitor's foot", kRightTaller, Rect(2000, 2200, 2200, 2340), 2330, 2150},
        // Above the primary (negative coordinates): opens up while it fits...
        {"monitor above", kAbove, Rect(100, -500, 300, -400), -490, -550},
        // ...and turns down at that monitor's top, not at 0.
        {"monitor above, at its top", kAbove, Rect(100, -1070, 300, -900), -1060, -900},
        // A shorter monitor on the left: its own top and foot count.
        {"shorter left, at its foot", kLeftShorter, Rect(-1000, 900, -800, 1000), 990, 850},
        {"shorter left, at its top", kLeftShorter, Rect(-1000, 310, -800, 500), 320, 500},
    };
    for (const auto& c : cases) {
        const MenuRect placed = PlaceRoot(c.anchor, c.clickY, 50, c.workArea);
        EXPECT_EQ(c.top, placed.top) << c.name;
        EXPECT_EQ(c.anchor.left, placed.left) << c.name;
    }
}

TEST(SubmenuPlacement, StaysBesideItsItemOnEveryMonitor)
{
    const long width = 150;
    const long height = 200;
    const struct {
        const char* name;
        MenuRect workArea;
        MenuRect anchor;
        long left, top;
    } cases[] = {
        {"right monitor, right of the item", kRightTaller, Rect(2000, 1500, 2200, 1517), 2200, 1500},
        {"right monitor, at its right edge", kRightTaller, Rect(3100, 1500, 3300, 1517), 2950, 1500},
        {"left monitor, bottoms aligned", kLeftShorter, Rect(-1000, 950, -800, 967), -800, 767},
        {"monitor above, near its top", kAbove, Rect(100, -1075, 300, -1058), 300, -1075},
    };
    for (const auto& c : cases) {
        long left = 0;
        long top = 0;
        EXPECT_TRUE(PlaceSubmenu(c.anchor, width, height, c.workArea, left, top)) << c.name;
        EXPECT_EQ(c.left, left) << c.name;
        EXPECT_EQ(c.top, top) << c.name;
    }
}

TEST(SubmenuPlacement, ThatFitsNowhereIsShiftedIntoTheWorkAreaByItsItem)
{
    const struct {
        const char* name;
        MenuRect workArea;
        MenuRect anchor;
        long width, height;
        long left, top;
    } cases[] = {
        // Too wide for either side: on the roomier right, against the edge.
        {"wide, more room right", Rect(0, 0, 1000, 800), Rect(100, 100, 400, 117), 700, 200, 300, 100},
        {"wide, more room left", Rect(0, 0, 1000, 800), Rect(600, 100, 900, 117), 700, 200, 0, 100},
        // Too tall for either alignment: the top of the work area, so that its
        // first items are in reach.
        {"tall", Rect(0, 0, 1000, 150), Rect(100, 0, 200, 17), 150, 200, 200, 0},
        // On a monitor right of the primary, not at the primary's corner.
        {"wide on the right monitor", kRightTaller, Rect(2100, 1000, 2500, 1017), 1200, 300, 2160, 1000},
    };
    for (const auto& c : cases) {
        long left = -9999;
        long top = -9999;
        EXPECT_FALSE(PlaceSubmenu(c.anchor, c.width, c.height, c.workArea, left, top)) << c.name;
        EXPECT_EQ(c.left, left) << c.name;
        EXPECT_EQ(c.top, top) << c.name;
        EXPECT_GE(left, c.workArea.left) << c.name;
        EXPECT_LE(left + c.width, c.workArea.right) << c.name;
    }
}

TEST_F(MenuLayoutTest, RootItemsSpanTheWholeWindow)
{
    Add("One");
    Add("Two");
    LayoutMenu(*list, metrics, Measure);
    StretchRootItems(*list, 240);
    for (const CMenuItem* item : list->items) EXPECT_EQ(234, item->bounds.right);
    EXPECT_EQ(1, HitTestItems(*list, 200, 20));
}

TEST(SubmenuPlacement, TriesRightThenLeftTopsThenBottomsAligned)
{
    const MenuRect desktop = Rect(0, 0, 1000, 800);
    const long width = 150;
    const long height = 200;
    const struct {
        const char* name;
        MenuRect anchor;
        MenuRect desktop;
        bool fits;
        long left, top;
    } cases[] = {
        {"right, tops aligned", Rect(100, 100, 300, 117), desktop, true, 300, 100},
        {"right, bottoms aligned", Rect(100, 700, 300, 717), desktop, true, 300, 517},
        {"left, tops aligned", Rect(800, 100, 900, 117), desktop, true, 650, 100},
        {"left, bottoms aligned", Rect(800, 700, 900, 717), desktop, true, 650, 517},
        // Reaching the desktop's right edge exactly does not fit.
        {"right edge is strict", Rect(300, 100, 850, 117), desktop, true, 150, 100},
        {"neither side", Rect(100, 100, 900, 117), desktop, false, 0, 0},
        {"neither alignment", Rect(100, 0, 200, 17), Rect(0, 0, 1000, 150), false, 0, 0},
        {"second screen on the left", Rect(100, 100, 300, 117), Rect(-1000, 0, 440, 800), true, -50, 100},
    };
    for (const auto& c : cases) {
        long left = 0;
        long top = 0;
        EXPECT_EQ(c.fits, PlaceSubmenu(c.anchor, width, height, c.desktop, left, top)) << c.name;
        if (c.fits) {
            EXPECT_EQ(c.left, left) << c.name;
            EXPECT_EQ(c.top, top) << c.name;
        }
    }
}

}  // namespace
