// The edit history on a document without windows: recording, folding,
// undo and redo of every kind, the saved mark, and what discarding frees.
#include <gtest/gtest.h>

#include "menudoc/edithistory.h"
#include "menudoc/menudocument.h"

namespace {

// Root: A (submenu: B, placeholder), C. The designer's state after loading.
class EditHistory : public ::testing::Test {
protected:
    EditHistory() : history(&doc)
    {
        doc.parse("", ItemKey());
        doc.deleteMenu(doc.rootMenu);
        root = doc.rootMenu = doc.newMenu(nullptr);
        root->isRoot = 1;
        a = Add(root, "A");
        a->hasSubmenu = 1;
        c = Add(root, "C");
        sub = a->submenu = doc.newMenu(a);
        b = Add(sub, "B");
        doc.ensurePlaceholders();
        root->normaliseSubmenus();
    }
    ~EditHistory() override
    {
        history.clearUndo();
        history.clearRedo();
        doc.deleteMenu(doc.rootMenu);
    }

    CMenuItem* Add(CMenuList* list, const char* caption)
    {
        CMenuItem* item = list->appendNew(0);
        item->caption = caption;
        return item;
    }
    // What the item pages do: record, then change.
    void SetCaption(CMenuItem* item, const char* caption)
    {
        history.recordChange(item, kChangeCaption);
        item->caption = caption;
    }
    std::string Captions(const CMenuList* list) const
    {
        std::string text;
        for (const CMenuItem* item : list->items) text += item->isPlaceholder ? "_" : item->caption;
        return text;
    }

    CMenuDocument doc;
    CEditHistory history;
    CMenuList* root;
    CMenuList* sub;
    CMenuItem* a;
    CMenuItem* b;
    CMenuItem* c;
};

TEST_F(EditHistory, TypingIntoTheNewItemSlotUndoesInOneStep)
{
    CMenuItem* slot = sub->firstPlaceholder();
    const int slotId = slot->id;
    EXPECT_TRUE(history.recordChange(slot, kChangeCaption));
    slot->caption = "N";
    SetCaption(slot, "Ne");
    SetCaption(slot, "New");
    EXPECT_EQ("BNew_", Captions(sub));
    EXPECT_EQ(slotId, sub->firstPlaceholder()->id);  // the real item takes the newer id
    EXPECT_GT(slot->id, slotId);
    EXPECT_EQ(0, slot->isPlaceholder);

    ASSERT_NE(nullptr, history.undo());
    EXPECT_FALSE(history.canUndo());
    EXPECT_EQ("B_", Captions(sub));
    EXPECT_EQ(nullptr, slot->parent);
    EXPECT_EQ(slot, doc.findItem(slot->id));  // kept alive for redo

    ASSERT_NE(nullptr, history.redo());
    EXPECT_EQ("BNew_", Captions(sub));
    EXPECT_EQ(sub, slot->parent);
    EXPECT_EQ(1, history.topUndo()->isClosed);
    EXPECT_FALSE(history.recordChange(slot, kChangeCaption));  // closed: a new step
    EXPECT_EQ(kEditChange, history.topUndo()->kind);
}

TEST_F(EditHistory, TextEditsFoldUntilClosed)
{
    SetCaption(b, "B1");
    SetCaption(b, "B2");
    SetCaption(b, "B3");
    history.closeTop(b, kChangeTarget);  // another field: stays open
    EXPECT_EQ(0, history.topUndo()->isClosed);
    history.closeTop(b, kChangeCaption);
    SetCaption(b, "B4");
    history.recordChange(b, kChangeTarget);
    b->target = "t";

    history.undo();
    EXPECT_EQ("", b->target);
    history.undo();
    EXPECT_EQ("B3", b->caption);
    history.undo();
    EXPECT_EQ("B", b->caption);
    EXPECT_FALSE(history.canUndo());
    history.redo();
    EXPECT_EQ("B3", b->caption);
}

TEST_F(EditHistory, FlagAndValueChangesAreOneStepEach)
{
    history.recordChange(b, kChangeSeparator);
    b->separator = 1;
    history.recordChange(b, kChangeSeparator);
    b->separator = 0;
    history.recordChange(b, kChangeShellCommand);
    b->shellCommand = kShellFindFiles;
    history.recordChange(b, kChangeIconFile);
    b->iconFile = "new.ico";
    history.recordChange(b, kChangeNote);  // never recorded
    b->note = "n";

    history.undo();
    EXPECT_EQ("", b->iconFile);
    history.undo();
    EXPECT_EQ(kShellNewItem, b->shellCommand);
    history.undo();
    EXPECT_EQ(1, b->separator);
    history.undo();
    EXPECT_EQ(0, b->separator);
    EXPECT_FALSE(history.canUndo());
    history.redo();
    history.redo();
    EXPECT_EQ(0, b->separator);
    history.redo();
    EXPECT_EQ(kShellFindFiles, b->shellCommand);
    EXPECT_EQ("n", b->note);
}

TEST_F(EditHistory, UndoingADroppedSubmenuBringsBackTheSameList)
{
    const int bId = b->id;
    history.recordChange(a, kChangeSubmenu);
    a->hasSubmenu = 0;
    a->submenu = nullptr;  // the record keeps it
    root->normaliseSubmenus();

    history.undo();
    EXPECT_EQ(sub, a->submenu);
    EXPECT_EQ(1, a->hasSubmenu);
    EXPECT_EQ(b, doc.findItem(bId));
    EXPECT_EQ("B_", Captions(a->submenu));

    history.redo();
    EXPECT_EQ(nullptr, a->submenu);
    EXPECT_EQ(0, a->hasSubmenu);

    // Discarding the step deletes the kept list and its items.
    history.clearUndo();
    EXPECT_EQ(nullptr, doc.findItem(bId));
    EXPECT_EQ(1u, doc.menus.size());
}

TEST_F(EditHistory, DeleteAndMoveComeBackToTheirPlaces)
{
    // C is the last item of the root; deleting it and undoing puts it last.
    history.pushUndo(CEditRecord::placement(kEditDelete, c));
    root->remove(c);
    history.clearRedo();
    EXPECT_EQ("A", Captions(root));
    history.undo();
    EXPECT_EQ("AC", Captions(root));
    EXPECT_EQ(1, root->getCurrentIndex());
    history.redo();
    EXPECT_EQ("A", Captions(root));
    history.undo();

    // Drag B from the submenu to before C in the root, then undo and redo.
    history.pushUndo(CEditRecord::placement(kEditMove, b));
    sub->take(b);
    root->insert(b, c, true);
    EXPECT_EQ("ABC", Captions(root));
    history.undo();
    EXPECT_EQ("AC", Captions(root));
    EXPECT_EQ("B_", Captions(sub));
    EXPECT_EQ(sub, b->parent);
    history.redo();
    EXPECT_EQ("ABC", Captions(root));
    EXPECT_EQ("_", Captions(sub));

    // The only item of a list (no neighbour) still comes back.
    CMenuList* lone = doc.newMenu(nullptr);
    CMenuItem* only = Add(lone, "only");
    history.pushUndo(CEditRecord::placement(kEditDelete, only));
    lone->remove(only);
    history.undo();
    EXPECT_EQ("only", Captions(lone));
}

TEST_F(EditHistory, PastedItemsUndoneAreDestroyedByTheNextChange)
{
    CMenuItem* copy = new CMenuItem;
    copy->copyFrom(*a);
    copy->id = doc.registerItem(copy);
    root->insert(copy, c, true);
    history.pushUndo(CEditRecord::placement(kEditInsert, copy));
    const int copyId = copy->id;
    const int copiedB = copy->submenu->items[0]->id;
    EXPECT_EQ("AAC", Captions(root));

    history.undo();
    EXPECT_EQ("AC", Captions(root));
    EXPECT_EQ(copy, doc.findItem(copyId));
    const std::size_t lists = doc.menus.size();

    SetCaption(c, "C2");  // empties the redo stack
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(nullptr, doc.findItem(copyId));
    EXPECT_EQ(nullptr, doc.findItem(copiedB));
    EXPECT_EQ(lists - 1, doc.menus.size());
}

TEST_F(EditHistory, DeletedItemsAreDestroyedWhenTheUndoStackIsCleared)
{
    history.pushUndo(CEditRecord::placement(kEditDelete, a));
    root->remove(a);
    const int aId = a->id, bId = b->id;
    history.clearUndo();
    EXPECT_EQ(nullptr, doc.findItem(aId));
    EXPECT_EQ(nullptr, doc.findItem(bId));
    EXPECT_EQ(1u, doc.menus.size());
}

TEST_F(EditHistory, EmptyStacksAndCancel)
{
    EXPECT_EQ(nullptr, history.undo());
    EXPECT_EQ(nullptr, history.redo());
    EXPECT_EQ(nullptr, history.popUndo());
    EXPECT_EQ(nullptr, history.topUndo());
    EXPECT_EQ("AC", Captions(root));

    SetCaption(b, "typed");
    EXPECT_EQ(nullptr, history.cancelTop(b, kChangeKeystrokes));
    EXPECT_EQ(nullptr, history.cancelTop(c, kChangeCaption));
    EXPECT_NE(nullptr, history.cancelTop(b, kChangeCaption));
    EXPECT_EQ("B", b->caption);
    EXPECT_TRUE(history.canRedo());
}

TEST_F(EditHistory, ModifiedFollowsTheSavedState)
{
    EXPECT_FALSE(history.isModified());
    SetCaption(b, "x");
    EXPECT_TRUE(history.isModified());
    history.undo();
    EXPECT_FALSE(history.isModified());  // save, change, undo

    SetCaption(b, "y");
    history.markSaved();
    EXPECT_FALSE(history.isModified());
    history.closeTop(b, kChangeCaption);
    SetCaption(b, "z");
    EXPECT_TRUE(history.isModified());
    history.undo();
    EXPECT_FALSE(history.isModified());
    history.undo();
    EXPECT_TRUE(history.isModified());
    history.redo();
    EXPECT_FALSE(history.isModified());

    // The saved step undone and then discarded: the saved tree cannot come
    // back, even if a new record lands at the freed address.
    history.undo();
    for (int i = 0; i < 20; ++i) {
        history.recordChange(c, kChangeSeparator);
        EXPECT_TRUE(history.isModified());
    }
}

// A note is kept off the undo stack, yet it must be saved: an edited note
// keeps the tree modified through undo and redo until the next save.
TEST_F(EditHistory, NoteChangeMarksTheTreeModifiedWithoutAStep)
{
    history.recordChange(b, kChangeNote);
    b->note = "remember";
    EXPECT_FALSE(history.canUndo());
    EXPECT_TRUE(history.isModified());
    history.markSaved();
    EXPECT_FALSE(history.isModified());

    SetCaption(c, "C2");
    history.recordChange(b, kChangeNote);
    b->note = "again";
    history.undo();  // back to the saved caption; the note stays edited
    EXPECT_EQ("C", c->caption);
    EXPECT_EQ("again", b->note);
    EXPECT_TRUE(history.isModified());
    history.redo();
    history.undo();
    EXPECT_TRUE(history.isModified());
    history.markSaved();
    EXPECT_FALSE(history.isModified());

    history.recordChange(b, kChangeNote);
    history.clearUndo();  // the history starts over with a fresh tree
    EXPECT_FALSE(history.isModified());
}

}  // namespace
