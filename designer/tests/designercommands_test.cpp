#include "designer/designercommands.h"

#include <set>
#include <string>

#include "designer/designertitle.h"
#include "designtree.h"
#include "lang/resource.h"

namespace {

// Records which actions ran.
class FakeActions : public IDesignerActions {
public:
    void insertNewItem() override { ran += "new "; }
    void deleteSelected() override { ran += "delete "; }
    void showProperties() override { ran += "properties "; }
    void closeDesigner() override { ran += "close "; }
    void save() override { ran += "save "; }
    void copySelected() override { ran += "copy "; }
    void cutSelected() override { ran += "cut "; }
    void pasteClip() override { ran += "paste "; }
    void undo() override { ran += "undo "; }
    void redo() override { ran += "redo "; }
    void showHelp() override { ran += "help "; }
    std::string ran;
};

const int kEditingIds[] = {ID_NEW_ITEM, ID_DELETE_ITEM, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE};

class DesignerCommandsTest : public DesignTree {
protected:
    // The enabled commands among the editing ones, e.g. "new delete cut copy paste ".
    std::string EnabledEditing(CMenuList* current, const CMenuItem* clipboard)
    {
        const DesignerState state = CaptureDesignerState(current, clipboard, history);
        FakeActions actions;
        for (int id : kEditingIds)
            if (IsDesignerCommandEnabled(id, state)) RunDesignerCommand(id, state, actions);
        return actions.ran;
    }
};

TEST_F(DesignerCommandsTest, EditingCommandsFollowTheSelection)
{
    CMenuItem clip;
    listA->currentIndex = 1;
    EXPECT_EQ("new delete cut copy paste ", EnabledEditing(listA, &clip));
    EXPECT_EQ("new delete cut copy ", EnabledEditing(listA, nullptr));
    // The root's single item: nothing can be edited, not even pasted.
    EXPECT_EQ("", EnabledEditing(root, &clip));
    // A placeholder: only Paste, and only with something to paste.
    listA->currentIndex = 3;
    EXPECT_EQ("paste ", EnabledEditing(listA, &clip));
    EXPECT_EQ("", EnabledEditing(listA, nullptr));
    // No selection in the panel, or no current panel at all.
    listA->currentIndex = -1;
    EXPECT_EQ("paste ", EnabledEditing(listA, &clip));
    EXPECT_EQ("", EnabledEditing(nullptr, &clip));
}

TEST_F(DesignerCommandsTest, EveryCommandHasOneEntryAndTheOthersAreAlwaysOn)
{
    std::size_t count = 0;
    const DesignerCommand* table = DesignerCommands(count);
    std::set<int> ids;
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_TRUE(ids.insert(table[i].id).second) << table[i].id;
        EXPECT_NE(nullptr, table[i].enabled);
        EXPECT_NE(nullptr, table[i].action);
    }
    EXPECT_EQ((std::set<int>{ID_NEW_ITEM, ID_DELETE_ITEM, ID_ITEM_PROPERTIES, ID_DESIGNER_CLOSE, 2,
                             ID_DESIGNER_SAVE, ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_PASTE, ID_EDIT_UNDO, ID_EDIT_REDO,
                             ID_HELP}),
              ids);

    // With nothing selected and an empty history.
    const DesignerState state = CaptureDesignerState(nullptr, nullptr, history);
    FakeActions actions;
    for (int id : {ID_ITEM_PROPERTIES, ID_DESIGNER_CLOSE, 2, ID_DESIGNER_SAVE, ID_HELP})
        EXPECT_TRUE(RunDesignerCommand(id, state, actions)) << id;
    EXPECT_EQ("properties close close save help ", actions.ran);
    EXPECT_FALSE(RunDesignerCommand(ID_EDIT_UNDO, state, actions));
    EXPECT_FALSE(RunDesignerCommand(ID_EDIT_REDO, state, actions));
    EXPECT_FALSE(RunDesignerCommand(12345, state, actions));
    EXPECT_FALSE(IsDesignerCommandEnabled(12345, state));
    EXPECT_EQ("properties close close save help ", actions.ran);
}

TEST_F(DesignerCommandsTest, UndoAndRedoFollowTheHistory)
{
    history.recordChange(a1, kChangeCaption);
    a1->caption = "changed";
    FakeActions actions;
    EXPECT_TRUE(RunDesignerCommand(ID_EDIT_UNDO, CaptureDesignerState(listA, nullptr, history), actions));
    EXPECT_FALSE(RunDesignerCommand(ID_EDIT_REDO, CaptureDesignerState(listA, nullptr, history), actions));
    history.undo();
    EXPECT_FALSE(RunDesignerCommand(ID_EDIT_UNDO, CaptureDesignerState(listA, nullptr, history), actions));
    EXPECT_TRUE(RunDesignerCommand(ID_EDIT_REDO, CaptureDesignerState(listA, nullptr, history), actions));
    EXPECT_EQ("undo redo ", actions.ran);
}

TEST(DesignerTitleTest, TheAsteriskMarksUnsavedChanges)
{
    EXPECT_EQ("Menu Designer - Office - [C:\\Vantrel\\menus.vn]",
              DesignerTitle("Menu Designer", "Office", false, "C:\\Vantrel\\menus.vn"));
    EXPECT_EQ("Menu Designer - Office * - [C:\\Vantrel\\menus.vn]",
              DesignerTitle("Menu Designer", "Office", true, "C:\\Vantrel\\menus.vn"));
}

}  // namespace
