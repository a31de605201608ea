// The rules of the item property pages that need no window: which controls
// an item enables, how a typed text becomes an item field (and an undo
// step), the shell-command combo's values, the predefined captions and the
// icon path. The page windows read their controls and call these.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "menudoc/menuitem.h"

class CEditHistory;
class CMenuList;

enum class ItemPage { General, Keys, Command };

// Notification codes (as in the control's WM_COMMAND) that mean the text
// changed; the Windows values, spelled out so that this stays Windows-free.
constexpr int kNotifyComboSelChange = 1;    // CBN_SELCHANGE
constexpr int kNotifyComboEditChange = 5;   // CBN_EDITCHANGE
constexpr int kNotifyEditChange = 0x300;    // EN_CHANGE

// No change type: the focus is on no folding text field.
constexpr int kNoChangeType = -1;

// ---- Enabling -------------------------------------------------------------

// What the enabling rules look at.
struct PageItemState {
    bool isRoot = false;  // the item's list is the root list
    bool separator = false;
    bool hasSubmenu = false;
    int shellCommand = 0;
};
// The state of `item` in `list`; no list or no item counts as root, so that
// every control is disabled when nothing can be edited.
PageItemState PageItemStateOf(const CMenuList* list, const CMenuItem* item);

struct GeneralEnabling {
    bool separatorEnabled = false;  // 1004
    bool separatorChecked = false;
    // 1005, 1008, 1013, 1011 and 1015.
    bool othersEnabled = false;
};
struct KeysEnabling {
    bool enabled = false;  // 1012, 1014 and 1006
};
struct CommandEnabling {
    bool enabled = false;          // 1013, 1014, 1011 and 1030
    bool argumentEnabled = false;  // 1015
};

GeneralEnabling GeneralPageEnabling(const PageItemState& state);
KeysEnabling KeysPageEnabling(const PageItemState& state);
CommandEnabling CommandPageEnabling(const PageItemState& state);

// ---- Text fields ----------------------------------------------------------

// One text field of a page: the control and the notification that report a
// change, the change type recorded and the item field that takes the text.
// Control ids repeat across pages, so a field is found by page and control.
struct PageTextField {
    ItemPage page;
    int controlId;
    int notification;
    int changeType;
    std::string CMenuItem::*field;
    // The text is the combo's newly selected entry, not its edit text
    // (which is not updated yet when the selection changes).
    bool selectedEntry;
    // The item may change height: the panel lays out again around it.
    bool relayoutAround;
};

extern const PageTextField kPageTextFields[];
extern const std::size_t kPageTextFieldCount;

// The field whose control sent this notification, or null.
const PageTextField* FindPageTextField(ItemPage page, int controlId, int notification);
// The item field that a text change type concerns, or null.
std::string CMenuItem::*TextFieldOfChangeType(int changeType);

enum class TextEditResult {
    Nothing,                // the text equals the field (or nothing to change)
    Changed,                // recorded and stored
    PlaceholderBecameItem,  // as Changed; the list got a new placeholder and must be laid out again
};

// Stores `text` in the field of `changeType` when it differs (exact, byte
// for byte), recording the change first so that the record keeps the old
// value. Typing into one field folds into one undo step; a note makes no
// step but marks the tree modified; the first change of a placeholder makes
// it a real item.
TextEditResult ApplyTextEdit(CEditHistory& history, CMenuItem* item, int changeType, const std::string& text);

// The change type of the folding text field that has the focus: its id, and
// the id of its parent window (the edit inside the caption combo has the
// combo as parent). kNoChangeType when the focus is elsewhere.
int EditFocusChangeType(ItemPage page, int focusedId, int focusedParentId = 0);
// Enter: closes the open step of the focused field, so that further typing
// makes a new step. The change type matched, or kNoChangeType.
int ApplyEditFocus(CEditHistory& history, const CMenuItem* item, ItemPage page, int focusedId,
                   int focusedParentId = 0);
// Escape: true when the newest undo step is the open run of typing into the
// focused field of `item`; the caller then runs the canvas's undo, which
// brings back the text from before the run and updates the screen.
bool CancelEditFocus(const CEditHistory& history, const CMenuItem* item, ItemPage page, int focusedId,
                     int focusedParentId = 0);

// ---- Shell command --------------------------------------------------------

// The combo's entries; an entry's index is its shell-command value.
constexpr const char* kShellCommandNames[] = {
    "", "Explore", "MailTo", "Http", "FindFiles", "FindComputer", "Suspend", "ShutdownWindows", "MinimizeAll",
    "UndoMinimizeALL", "FileRun",
};
constexpr int kShellCommandNameCount = sizeof(kShellCommandNames) / sizeof(kShellCommandNames[0]);

// The value stored for a combo selection: 1 to 10 as they are; the empty
// entry, no selection or anything else 170.
int ShellCommandFromSelection(int index);
// The combo entry shown for a value: 1 to 10 as they are; every other value
// (0, the unused values and those of 160 and above) the empty entry 0.
int SelectionFromShellCommand(int value);
// Whether storing `newValue` over `oldValue` changes anything: not when they
// are equal or both mean "none" of 160 and above.
bool ShellCommandChangeNeeded(int oldValue, int newValue);
// Shell commands 1 to 3 take the command argument.
bool ArgumentEnabled(int value);

// ---- Predefined captions --------------------------------------------------

constexpr const char* kPredefinedCaptionsFile = "Vantrel.ini";
constexpr const char* kPredefinedCaptionSection = "Predefined Caption";
constexpr unsigned kMaxPredefinedCaptions = 255;

// The captions of section "Predefined Caption": keys "Caption0" up to
// "Count" - 1, at most 255 (Count is taken as unsigned, so a negative one
// means 255); missing and empty keys are skipped; texts are read whole. An
// unreadable file gives none.
std::vector<std::string> ReadPredefinedCaptions(const std::string& iniPath);

// ---- Icon path ------------------------------------------------------------

// Comparison of paths in the system's ANSI code page ignoring case: only
// ASCII letters are folded, and a byte right after one of 0x80 or above is
// compared exactly, since it may be the trail byte of a double-byte
// character, where folding would match two different characters. Other
// letters thus compare case-sensitively: a missed match only stores a full
// path or records a needless step.
bool PathEqualNoCase(const std::string& a, const std::string& b);
bool PathStartsWithNoCase(const std::string& path, const std::string& prefix);

// The file the icon dialog opens with: the first existing one of the shown
// text, the program folder + that text, the item's icon file, the program
// folder + the icon file; "" when none exists. Empty names are not tried (the
// folder alone is no file). `moduleDir` ends with a backslash.
std::string IconInitialFile(const std::string& editText, const std::string& iconFile, const std::string& moduleDir,
                            const std::function<bool(const std::string&)>& exists);
// The path stored for a chosen icon: relative to the program folder when it
// lies inside it (longer than the folder and beginning with it), else whole.
std::string StoredIconPath(const std::string& chosen, const std::string& moduleDir);
// The chosen path names the icon the item has already: nothing to record.
bool IconPathUnchanged(const std::string& stored, const std::string& itemIconFile);
