#include "designer/dragstate.h"

#include "designer/itemmove.h"
#include "designtree.h"

namespace {

class DragTest : public DesignTree {
protected:
    // Presses on the selection frame at (100, 50) with a2 selected in A.
    void PressOnA2()
    {
        ASSERT_TRUE(drag.press(100, 50, kHitSelection, listA, a2));
    }

    CDragTracker drag;
};

TEST_F(DragTest, OnlyAPressOnTheSelectionFrameWhileIdleStartsADrag)
{
    EXPECT_FALSE(drag.press(100, 50, kHitPanel, listA, a2));
    EXPECT_FALSE(drag.press(100, 50, kHitCanvas, listA, a2));
    EXPECT_EQ(DragPhase::Idle, drag.phase());
    PressOnA2();
    EXPECT_FALSE(drag.press(10, 10, kHitSelection, listB, b1));
    EXPECT_EQ(a2, drag.item());
    EXPECT_EQ(listA, drag.sourceList());
}

// Moves from the press point: the drag begins at 4 pixels either way.
TEST_F(DragTest, TheDragBeginsAtFourPixels)
{
    const struct {
        long dx, dy;
        bool begins;
    } cases[] = {
        {3, 0, false}, {0, -3, false}, {-3, 3, false}, {4, 0, true}, {0, -4, true}, {-4, 3, true}, {3, 4, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        drag.reset();
        PressOnA2();
        EXPECT_EQ(c.begins, drag.move(100 + c.dx, 50 + c.dy, true));
        EXPECT_EQ(c.begins ? DragPhase::Dragging : DragPhase::Pressed, drag.phase());
        // A drag that has begun does not begin again.
        if (c.begins) {
            EXPECT_FALSE(drag.move(100 + 2 * c.dx, 50 + 2 * c.dy, true));
        }
    }
    drag.reset();
    PressOnA2();
    EXPECT_FALSE(drag.move(110, 50, false));  // the source panel has closed meanwhile
    EXPECT_EQ(DragPhase::Pressed, drag.phase());
}

// A press that wobbles 3 pixels onto the neighbouring item and is released
// there is a click: nothing moves and nothing is recorded.
TEST_F(DragTest, AReleaseBeforeTheThresholdMovesNothingWhereverThePointerIs)
{
    PressOnA2();
    drag.move(100, 53, true);
    const DropDecision drop = drag.release(a3, true, kHitPanel);
    EXPECT_FALSE(drop.move);
    EXPECT_TRUE(drop.reselect);
    EXPECT_EQ(a2, drop.item);
    EXPECT_EQ(listA, drop.sourceList);
    EXPECT_EQ(DragPhase::Idle, drag.phase());
}

TEST_F(DragTest, AReleaseAfterTheThresholdOverAnItemMovesBesideIt)
{
    PressOnA2();
    ASSERT_TRUE(drag.move(100, 54, true));
    CMenuItem* slotC = listC->items[0];
    const DropDecision drop = drag.release(slotC, false, kHitPanel);
    ASSERT_TRUE(drop.move);
    EXPECT_EQ(a2, drop.item);
    EXPECT_EQ(slotC, drop.anchor);
    EXPECT_FALSE(drop.before);
    EXPECT_EQ(DragPhase::Idle, drag.phase());
    EXPECT_EQ(nullptr, drag.item());
}

// Releases that are no move select the dragged item again.
TEST_F(DragTest, ReleasesThatAreNoMove)
{
    CMenuItem* placeholderA = listA->firstPlaceholder();
    CMenuItem* placeholderB = listB->firstPlaceholder();
    const struct {
        const char* what;
        CMenuItem* item;
        CMenuItem* anchor;
        int hit;
    } cases[] = {
        {"outside any item", a1, nullptr, kHitPanel},
        {"over bare canvas", a1, a3, kHitCanvas},
        {"onto itself", a1, a1, kHitPanel},
        {"onto the root list", a1, top, kHitPanel},
        {"into its own submenu", a2, b1, kHitPanel},
        {"into a placeholder of its own submenu", a2, placeholderB, kHitPanel},
        {"a placeholder into another list", placeholderA, b1, kHitPanel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(drag.press(0, 0, kHitSelection, c.item->parent, c.item));
        ASSERT_TRUE(drag.move(10, 10, true));
        const DropDecision drop = drag.release(c.anchor, true, c.hit);
        EXPECT_FALSE(drop.move);
        EXPECT_TRUE(drop.reselect);
    }
    // A placeholder moves within its own list.
    ASSERT_TRUE(drag.press(0, 0, kHitSelection, listA, placeholderA));
    ASSERT_TRUE(drag.move(10, 10, true));
    EXPECT_TRUE(drag.release(a1, true, kHitPanel).move);
}

// No path puts an item into its own subtree: neither the panels that take
// the pointer nor the move itself.
TEST_F(DragTest, NoPanelOfTheDraggedItemsOwnSubtreeTakesThePointer)
{
    CMenuList* deeper = Sub(b1);
    document.ensurePlaceholders();
    CMenuItem* placeholderA = listA->firstPlaceholder();
    const struct {
        const char* what;
        CMenuList* panel;
        DragPhase phase;
        CMenuItem* item;
        bool takes;
    } cases[] = {
        {"own list", listA, DragPhase::Dragging, a2, true},
        {"another item's submenu", listC, DragPhase::Dragging, a2, true},
        {"own submenu", listB, DragPhase::Dragging, a2, false},
        {"below own submenu", deeper, DragPhase::Dragging, a2, false},
        {"root while dragging", root, DragPhase::Dragging, a1, false},
        {"root while pressed", root, DragPhase::Pressed, a1, true},
        {"placeholder over its own list", listA, DragPhase::Dragging, placeholderA, true},
        {"placeholder over another list", listC, DragPhase::Dragging, placeholderA, false},
        {"no panel", nullptr, DragPhase::Dragging, a1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.takes, PanelTakesPointer(c.panel, c.phase, c.item, c.item->parent));
    }

    EXPECT_FALSE(MoveItemRecorded(history, a2, b1, true).moved);
    EXPECT_FALSE(MoveItemRecorded(history, top, a1, true).moved);
    EXPECT_FALSE(history.canUndo());
    EXPECT_EQ("a1,a2,a3,_", Captions(listA));
    EXPECT_EQ("b1,_", Captions(listB));
}

TEST_F(DragTest, TheUpperHalfOfAnItemDropsBeforeItTheLowerHalfAfter)
{
    const MenuRect bounds = {3, 20, 100, 37};  // half-way at 28.5
    const struct {
        long y;
        bool before;
    } cases[] = {{20, true}, {28, true}, {29, false}, {36, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.y);
        EXPECT_EQ(c.before, DropsBefore(bounds, c.y));
        const MenuRect mark = InsertionMark(bounds, MenuRect{200, 40, 300, 100}, -10, -20, c.before);
        EXPECT_EQ(193, mark.left);
        EXPECT_EQ(290, mark.right);
        EXPECT_EQ((c.before ? 20 : 37) + 40 - 20, mark.top);
        EXPECT_EQ(mark.top, mark.bottom);
    }
}

TEST_F(DragTest, HoveringOpensOtherItemsSubmenusAndClosesForeignChildren)
{
    CMenuItem* placeholderA = listA->firstPlaceholder();
    const struct {
        const char* what;
        CMenuItem* hover;
        CMenuItem* dragged;
        CMenuList* openChild;
        bool open, close;
    } cases[] = {
        {"another item with a submenu", a2, a1, nullptr, true, false},
        {"the dragged item itself", a2, a2, nullptr, false, false},
        {"while dragging a placeholder", a2, placeholderA, nullptr, false, false},
        {"an item without a submenu", a1, a3, nullptr, false, false},
        {"its submenu already open", a2, a1, listB, false, false},
        {"another item's submenu open", a3, a1, listB, false, true},
        {"an item without a submenu, a child open", a1, a3, listB, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const HoverAction action = HoverItem(c.hover, c.dragged, c.openChild);
        EXPECT_EQ(c.open, action.openSubmenu);
        EXPECT_EQ(c.close, action.closeChild);
    }
}

TEST(CanvasHitTest, HitCodesAndCursors)
{
    EXPECT_EQ(kHitSelection, CanvasHitCode(kHitCanvas, true, true));
    EXPECT_EQ(kHitPanel, CanvasHitCode(kHitCanvas, false, true));
    EXPECT_EQ(kHitCanvas, CanvasHitCode(kHitCanvas, false, false));
    EXPECT_EQ(kHitCanvas, CanvasHitCode(kHitNowhere, false, false));
    EXPECT_EQ(7, CanvasHitCode(7, true, true));  // the scroll bars keep theirs

    EXPECT_EQ(CanvasCursor::SizeAll, CursorFor(kHitSelection, false));
    EXPECT_EQ(CanvasCursor::SizeAll, CursorFor(kHitSelection, true));
    EXPECT_EQ(CanvasCursor::Arrow, CursorFor(kHitPanel, false));
    EXPECT_EQ(CanvasCursor::Drag, CursorFor(kHitPanel, true));
    EXPECT_EQ(CanvasCursor::No, CursorFor(kHitCanvas, true));
}

}  // namespace
