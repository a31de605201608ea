// The designer's commands in one table: each command id with its enabling
// rule and the action that carries it out. The menu's update pass, the
// accelerator path and each operation's own check all ask this table, so
// a command can never run where its menu item is greyed.
#pragma once

#include <cstddef>

class CEditHistory;
class CMenuItem;
class CMenuList;

// What the rules look at, taken from the canvas when asked.
struct DesignerState {
    bool hasCurrentPanel = false;
    bool listIsRoot = false;
    bool hasSelectedItem = false;
    bool selectedIsPlaceholder = false;
    bool clipboardHasItem = false;
    bool canUndo = false;
    bool canRedo = false;
};

// The state for a current panel showing `currentList` (null when there is
// no current panel), the canvas's clipboard item and its history.
DesignerState CaptureDesignerState(CMenuList* currentList, const CMenuItem* clipboard, const CEditHistory& history);

// An editable selection: a current panel whose selected item is a real
// item (not the placeholder) of a list other than the root.
bool IsEditableSelection(const DesignerState& state);

// The operations behind the commands; the designer window implements them
// (most hand on to the canvas).
class IDesignerActions {
public:
    virtual ~IDesignerActions() = default;
    virtual void insertNewItem() = 0;
    virtual void deleteSelected() = 0;
    virtual void showProperties() = 0;
    virtual void closeDesigner() = 0;
    virtual void save() = 0;
    virtual void copySelected() = 0;
    virtual void cutSelected() = 0;
    virtual void pasteClip() = 0;
    virtual void undo() = 0;
    virtual void redo() = 0;
    virtual void showHelp() = 0;
};

struct DesignerCommand {
    int id;
    bool (*enabled)(const DesignerState& state);
    void (IDesignerActions::*action)();
};

// The table, one entry per command id (New item, Delete item, Properties,
// Close, Escape, Save, Copy, Cut, Paste, Undo, Redo, Help).
const DesignerCommand* DesignerCommands(std::size_t& count);
// The entry of `id`, or null when the designer has no such command.
const DesignerCommand* FindDesignerCommand(int id);
// The update pass's question; false for ids not in the table.
bool IsDesignerCommandEnabled(int id, const DesignerState& state);
// Runs the command when its rule holds now; false (nothing done) when the
// rule fails or the id is unknown, as for an accelerator of a greyed item.
bool RunDesignerCommand(int id, const DesignerState& state, IDesignerActions& actions);
