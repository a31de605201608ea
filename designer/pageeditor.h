// What an item property page needs of the editing side: the history its
// changes go into, the undo that takes back a run of typing, the screen
// work the panels cannot do themselves, the questions and file dialogs it
// opens, and the program folder. The designer supplies one (handing on to
// its canvas); tests stand in for it and answer the dialogs themselves.
#pragma once

#include <windows.h>

#include <string>

class CEditHistory;

// A file-open dialog as a page asks for it.
struct FileOpenRequest {
    // Pairs of description and pattern, each part ended by '|', the list by
    // a second '|' ("Icons (*.ico)|*.ico|All Files (*.*)|*.*||").
    std::string filter;
    // Appended when the user types a name without one; no leading dot.
    std::string defaultExtension;
    // The file the dialog opens on; empty for none.
    std::string initialFile;
    DWORD flags = 0;
};

class IPageEditor {
public:
    // The undo and redo history of the tree being edited.
    virtual CEditHistory& history() = 0;
    // Takes back the newest step and brings the panels (and the pages) in
    // line with it: Escape during a run of typing.
    virtual void undo() = 0;
    // A panel changed size: the canvas's scroll range follows.
    virtual void updateScrollRange() = 0;
    // A change has been recorded and made: the title and the command states
    // follow the history.
    virtual void changeRecorded() = 0;
    // A message box owned by `owner` showing string `stringId` with its "%s"
    // filled by `argument`, in `style`; the button chosen. The page has put
    // the palette into its modal state.
    virtual int ask(HWND owner, UINT stringId, UINT style, const std::string& argument) = 0;
    // A file-open dialog owned by `owner`; true with the chosen full path,
    // false when cancelled. The page has put the palette into its modal
    // state.
    virtual bool chooseFile(HWND owner, const FileOpenRequest& request, std::string& chosen) = 0;
    // The program's folder, ending with a backslash.
    virtual std::string programFolder() const = 0;

protected:
    ~IPageEditor() = default;
};

// The system's file-open dialog for `request`, for editors to hand on to.
bool RunFileOpenDialog(HWND owner, const FileOpenRequest& request, std::string& chosen);
