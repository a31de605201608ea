#include "designer/undoplan.h"

#include "designer/designertitle.h"
#include "designer/itemmove.h"
#include "designtree.h"

namespace {

class UndoPlanTest : public DesignTree {
protected:
    UndoPlan Undo() { return RunHistoryStep(history, HistoryStep::Undo); }
    UndoPlan Redo() { return RunHistoryStep(history, HistoryStep::Redo); }

    // The lists a plan lays out, e.g. "B,A" ("-" for none).
    std::string Relaid(const UndoPlan& plan)
    {
        std::string text;
        for (CMenuList* list : plan.relayout) {
            if (!text.empty()) text += ",";
            text += Name(list);
        }
        return text;
    }
    std::string Closed(const UndoPlan& plan)
    {
        return Name(plan.closeChildOf[0]) + "," + Name(plan.closeChildOf[1]);
    }
    std::string Name(const CMenuList* list)
    {
        if (list == nullptr) return "-";
        if (list == root) return "root";
        if (list == listA) return "A";
        if (list == listB) return "B";
        if (list == listC) return "C";
        return "?";
    }
    // The canvas's delete: record where the item stood, take it out.
    void Delete(CMenuItem* item)
    {
        history.pushUndo(CEditRecord::placement(kEditDelete, item));
        item->parent->remove(item);
        history.clearRedo();
    }
};

TEST_F(UndoPlanTest, AnEmptyStackAppliesNothing)
{
    EXPECT_FALSE(Undo().applied);
    EXPECT_FALSE(Redo().applied);
    EXPECT_FALSE(Undo().refused);
}

// A drop of a1 before b1: undo puts it back before its old neighbour a2,
// redo moves it again; both lists are laid out and a1 is shown.
TEST_F(UndoPlanTest, UndoingAMovePutsTheItemBackBesideItsOldNeighbour)
{
    const MoveResult move = MoveItemRecorded(history, a1, b1, true);
    ASSERT_TRUE(move.moved);
    EXPECT_EQ(listA, move.nested);  // A holds B: B's panels follow
    EXPECT_EQ("a2,a3,_", Captions(listA));
    EXPECT_EQ("a1,b1,_", Captions(listB));

    UndoPlan plan = Undo();
    ASSERT_TRUE(plan.applied);
    EXPECT_EQ(kEditMove, plan.kind);
    EXPECT_EQ("a1,a2,a3,_", Captions(listA));
    EXPECT_EQ("b1,_", Captions(listB));
    EXPECT_EQ("B,A", Relaid(plan));
    EXPECT_EQ("B,A", Closed(plan));
    EXPECT_EQ(ScreenWork::Relayout, plan.screenWork);
    EXPECT_TRUE(plan.updateScrollRange);
    EXPECT_EQ(a1, plan.show);
    EXPECT_FALSE(plan.refreshPalette);

    plan = Redo();
    ASSERT_TRUE(plan.applied);
    EXPECT_EQ("a2,a3,_", Captions(listA));
    EXPECT_EQ("a1,b1,_", Captions(listB));
    EXPECT_EQ("A,B", Relaid(plan));
    EXPECT_EQ(a1, plan.show);

    // A move within one list (Ctrl+Up of a3 twice) lays out that list once.
    history.clearRedo();
    MoveItemRecorded(history, a3, a2, true);
    EXPECT_EQ("a3,a2,_", Captions(listA));
    plan = Undo();
    EXPECT_EQ("a2,a3,_", Captions(listA));
    EXPECT_EQ("A,-", Relaid(plan));
}

// Put back shows the item; taking out shows the neighbour it had.
TEST_F(UndoPlanTest, DeletionsAndInsertionsShowTheItemOrItsNeighbour)
{
    Delete(a2);
    EXPECT_EQ("a1,a3,_", Captions(listA));
    UndoPlan plan = Undo();
    EXPECT_EQ("a1,a2,a3,_", Captions(listA));
    EXPECT_EQ(a2->submenu, listB);
    EXPECT_EQ("-,A", Relaid(plan));
    EXPECT_EQ(a2, plan.show);
    plan = Redo();
    EXPECT_EQ("a1,a3,_", Captions(listA));
    EXPECT_EQ("A,-", Relaid(plan));
    EXPECT_EQ("A,-", Closed(plan));  // a2's submenu panel must go
    EXPECT_EQ(a3, plan.show);

    // Typing into the placeholder of C made an item; undo removes it and
    // shows the new placeholder, redo brings it back.
    CMenuItem* slot = listC->firstPlaceholder();
    history.recordChange(slot, kChangeCaption);
    slot->caption = "c1";
    EXPECT_EQ("c1,_", Captions(listC));
    plan = Undo();
    EXPECT_EQ(kEditInsert, plan.kind);
    EXPECT_EQ("_", Captions(listC));
    EXPECT_EQ("C,-", Relaid(plan));
    EXPECT_EQ(listC->items[0], plan.show);
    plan = Redo();
    EXPECT_EQ("c1,_", Captions(listC));
    EXPECT_EQ(slot, plan.show);
}

TEST_F(UndoPlanTest, FieldChangesRedrawWhatTheFieldNeeds)
{
    const struct {
        const char* what;
        int changeType;
        ScreenWork work;
        const char* relaid;
        const char* closed;
        bool scroll;
    } cases[] = {
        {"caption", kChangeCaption, ScreenWork::AroundItem, "A,-", "-,-", false},
        {"separator", kChangeSeparator, ScreenWork::Relayout, "A,-", "-,-", true},
        {"icon file", kChangeIconFile, ScreenWork::RepaintItem, "A,-", "-,-", false},
        {"submenu", kChangeSubmenu, ScreenWork::Submenu, "A,-", "A,-", true},
        {"keystrokes", kChangeKeystrokes, ScreenWork::None, "-,-", "-,-", false},
        {"shell command", kChangeShellCommand, ScreenWork::None, "-,-", "-,-", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        history.recordChange(a1, c.changeType);
        if (c.changeType == kChangeSubmenu) {
            Sub(a1);
            document.ensurePlaceholders();
        }
        for (HistoryStep step : {HistoryStep::Undo, HistoryStep::Redo}) {
            const UndoPlan plan = RunHistoryStep(history, step);
            ASSERT_TRUE(plan.applied);
            EXPECT_EQ(kEditChange, plan.kind);
            EXPECT_EQ(c.changeType, plan.changeType);
            EXPECT_EQ(c.work, plan.screenWork);
            EXPECT_EQ(c.relaid, Relaid(plan));
            EXPECT_EQ(c.closed, Closed(plan));
            EXPECT_EQ(c.scroll, plan.updateScrollRange);
            EXPECT_EQ(a1, plan.show);
            EXPECT_TRUE(plan.refreshPalette);
        }
        history.closeTop(a1, c.changeType);
    }
}

// However a step came to name such a place, an item never goes into its
// own submenu: the step stays where it is and the tree is untouched.
TEST_F(UndoPlanTest, AStepThatWouldPutAnItemIntoItsOwnSubmenuIsRefused)
{
    CEditRecord* loop = CEditRecord::placement(kEditMove, b1);  // "before the placeholder of B"
    loop->itemId = a2->id;
    history.pushUndo(loop);
    UndoPlan plan = Undo();
    EXPECT_FALSE(plan.applied);
    EXPECT_TRUE(plan.refused);
    EXPECT_EQ(loop, history.topUndo());
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ("a1,a2,a3,_", Captions(listA));
    EXPECT_EQ("b1,_", Captions(listB));
    EXPECT_EQ(listA, a2->parent);

    // The same on the redo side, for a deleted item put back by redo of
    // its insertion.
    history.popUndo();
    delete loop;
    Delete(a2);
    CEditRecord* insert = new CEditRecord;
    insert->kind = kEditInsert;
    insert->itemId = a2->id;
    insert->neighbourId = b1->id;
    insert->beforeNeighbour = 1;
    history.pushRedo(insert);
    plan = Redo();
    EXPECT_TRUE(plan.refused);
    EXPECT_TRUE(history.canRedo());
    EXPECT_EQ(nullptr, a2->parent);
    EXPECT_EQ("b1,_", Captions(listB));
    history.popRedo();
    delete insert;
}

TEST_F(UndoPlanTest, SaveChangeUndoClearsTheAsterisk)
{
    auto title = [this] { return DesignerTitle("Designer", "Office", history.isModified(), "menus.vn"); };
    history.recordChange(a1, kChangeCaption);
    a1->caption = "first";
    history.markSaved();
    EXPECT_EQ("Designer - Office - [menus.vn]", title());
    history.closeTop(a1, kChangeCaption);
    history.recordChange(a1, kChangeCaption);
    a1->caption = "second";
    EXPECT_EQ("Designer - Office * - [menus.vn]", title());
    Undo();
    EXPECT_EQ("first", a1->caption);
    EXPECT_EQ("Designer - Office - [menus.vn]", title());
    Undo();
    EXPECT_EQ("Designer - Office * - [menus.vn]", title());
    Redo();
    EXPECT_EQ("Designer - Office - [menus.vn]", title());
}

}  // namespace
