#include "designer/designercommands.h"

#include "lang/resource.h"
#include "menudoc/edithistory.h"
#include "menudoc/menulist.h"

DesignerState CaptureDesignerState(CMenuList* currentList, const CMenuItem* clipboard, const CEditHistory& history)
{
    DesignerState state;
    state.clipboardHasItem = clipboard != nullptr;
    state.canUndo = history.canUndo();
    state.canRedo = history.canRedo();
    if (currentList != nullptr) {
        state.hasCurrentPanel = true;
        state.listIsRoot = currentList->isRoot != 0;
        const int index = currentList->currentIndex;
        if (index >= 0 && index < currentList->count()) {
            state.hasSelectedItem = true;
            state.selectedIsPlaceholder = currentList->items[static_cast<std::size_t>(index)]->isPlaceholder != 0;
        }
    }
    return state;
}

bool IsEditableSelection(const DesignerState& state)
{
    return state.hasCurrentPanel && state.hasSelectedItem && !state.selectedIsPlaceholder && !state.listIsRoot;
}

namespace {

bool Always(const DesignerState&)
{
    return true;
}

bool CanPaste(const DesignerState& state)
{
    return state.hasCurrentPanel && state.clipboardHasItem && !state.listIsRoot;
}

bool CanUndo(const DesignerState& state)
{
    return state.canUndo;
}

bool CanRedo(const DesignerState& state)
{
    return state.canRedo;
}

const DesignerCommand kCommands[] = {
    {ID_NEW_ITEM, IsEditableSelection, &IDesignerActions::insertNewItem},
    {ID_DELETE_ITEM, IsEditableSelection, &IDesignerActions::deleteSelected},
    {ID_ITEM_PROPERTIES, Always, &IDesignerActions::showProperties},
    {ID_DESIGNER_CLOSE, Always, &IDesignerActions::closeDesigner},
    {2 /* IDCANCEL: Escape and the close box */, Always, &IDesignerActions::closeDesigner},
    {ID_DESIGNER_SAVE, Always, &IDesignerActions::save},
    {ID_EDIT_COPY, IsEditableSelection, &IDesignerActions::copySelected},
    {ID_EDIT_CUT, IsEditableSelection, &IDesignerActions::cutSelected},
    {ID_EDIT_PASTE, CanPaste, &IDesignerActions::pasteClip},
    {ID_EDIT_UNDO, CanUndo, &IDesignerActions::undo},
    {ID_EDIT_REDO, CanRedo, &IDesignerActions::redo},
    {ID_HELP, Always, &IDesignerActions::showHelp},
};

}  // namespace

const DesignerCommand* DesignerCommands(std::size_t& count)
{
    count = sizeof kCommands / sizeof kCommands[0];
    return kCommands;
}

const DesignerCommand* FindDesignerCommand(int id)
{
    for (const DesignerCommand& command : kCommands)
        if (command.id == id) return &command;
    return nullptr;
}

bool IsDesignerCommandEnabled(int id, const DesignerState& state)
{
    const DesignerCommand* command = FindDesignerCommand(id);
    return command != nullptr && command->enabled(state);
}

bool RunDesignerCommand(int id, const DesignerState& state, IDesignerActions& actions)
{
    const DesignerCommand* command = FindDesignerCommand(id);
    if (command == nullptr || !command->enabled(state)) return false;
    (actions.*(command->action))();
    return true;
}
