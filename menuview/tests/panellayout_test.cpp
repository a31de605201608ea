#include "menuview/panellayout.h"

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

void ExpectRect(const MenuRect& expected, const MenuRect& actual)
{
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
}

// Captions measure 7 pixels a character.
long Measure(const std::string& text)
{
    return static_cast<long>(text.size()) * 7;
}

class PanelLayoutTest : public ::testing::Test {
protected:
    CMenuList* MakeList(bool root, std::initializer_list<const char*> captions)
    {
        CMenuList* list = document.newMenu(nullptr);
        list->isRoot = root ? 1 : 0;
        for (const char* caption : captions) {
            CMenuItem* item = list->appendNew(0);
            item->caption = caption;
            if (*caption == '-') item->separator = 1;
        }
        return list;
    }

    CMenuDocument document;
    MenuMetrics metrics;  // item 17, separator 8, check 13
};

TEST_F(PanelLayoutTest, RootPanelIs94Plus6WideWhateverItsCaptions)
{
    for (const char* caption : {"", "Vantrel", "A caption far longer than any root panel could show"}) {
        SCOPED_TRACE(caption);
        CMenuList* root = MakeList(true, {caption});
        const MenuRect panel = LayoutPanel(*root, metrics, Measure);
        ExpectRect(Rect(0, 0, 94 + 6, 17 + 6), panel);
        ExpectRect(Rect(3, 3, 94 + 3, 3 + 17), root->items[0]->bounds);
    }
}

TEST_F(PanelLayoutTest, SubmenuPanelFitsTheWidestCaptionAndStacksItemsInsideTheFrame)
{
    // The separator's caption is not measured; the placeholder measures 0.
    CMenuList* list = MakeList(false, {"Short", "---- a separator wider than all ----", "A longer one", ""});
    list->items[3]->isPlaceholder = 1;
    const MenuRect panel = LayoutPanel(*list, metrics, Measure);

    const long content = 12 * 7 + 3 * 13;
    ExpectRect(Rect(0, 0, content + 6, 17 + 8 + 17 + 17 + 6), panel);
    const long tops[] = {3, 20, 28, 45};
    const long bottoms[] = {20, 28, 45, 62};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        ExpectRect(Rect(3, tops[i], content + 3, bottoms[i]), list->items[i]->bounds);
    }
}

TEST_F(PanelLayoutTest, SelectionTargetAndFrameFollowThePanelAndTheScroll)
{
    const MenuRect bounds = Rect(3, 20, 103, 37);
    const MenuRect panel = Rect(100, 40, 206, 120);
    const MenuRect target = SelectionTarget(bounds, panel, -10, -30);
    ExpectRect(Rect(100 + 3 - 10 - 3, 40 + 20 - 30 - 2, 100 + 103 - 10 + 3, 40 + 37 - 30 + 2), target);
    ExpectRect(Rect(target.left - 3, target.top - 3, target.right + 3, target.bottom + 3), SelectionFrame(target));

    long left = 0;
    long top = 0;
    ChildPanelOrigin(bounds, panel, left, top);
    EXPECT_EQ(100 + 103, left);
    EXPECT_EQ(40 + 20, top);
}

// A chain of three panels whose first panel grew 30 wider and whose
// opener item moved 17 down (grandchild's opener unchanged): each child follows its opener by the mode.
TEST_F(PanelLayoutTest, ReattachedChainFollowsItsOpenersByMode)
{
    struct Case {
        ReattachMode mode;
        long childLeft, childTop, grandLeft, grandTop;
    } cases[] = {
        {ReattachMode::Left, 133, 20, 236, 40},
        {ReattachMode::Top, 100, 37, 200, 57},
        {ReattachMode::Both, 133, 37, 236, 57},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        std::vector<ChainPanel> chain(3);
        chain[0].position = Rect(0, 0, 136, 80);
        chain[1].openerBounds = Rect(3, 37, 133, 54);  // moved from (3, 20, 103, 37)
        chain[1].position = Rect(100, 20, 200, 80);
        chain[2].openerBounds = Rect(3, 20, 103, 37);
        chain[2].position = Rect(200, 40, 260, 70);
        ReattachChain(chain, c.mode);
        ExpectRect(Rect(0, 0, 136, 80), chain[0].position);
        ExpectRect(Rect(c.childLeft, c.childTop, c.childLeft + 100, c.childTop + 60), chain[1].position);
        ExpectRect(Rect(c.grandLeft, c.grandTop, c.grandLeft + 60, c.grandTop + 30), chain[2].position);
    }
}

}  // namespace
