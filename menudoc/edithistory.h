// The designer's undo and redo history of a menu tree. Each step is a
// record; the history applies them to the document, and the designer's
// canvas brings the screen in line afterwards. Items and lists a record
// keeps (deleted items, dropped submenus, undone insertions) stay alive and
// registered until the record is discarded.
#pragma once

#include <deque>

#include "menuitem.h"

class CMenuDocument;

enum EditKind {
    kEditChange = 1,  // a field of the item changed
    kEditInsert = 2,  // the item was inserted
    kEditDelete = 3,  // the item was deleted
    kEditMove = 4,    // the item was moved
};

// The field a change concerns; the item pages use the same numbers.
enum ChangeType {
    kChangeNote = 0,  // never recorded
    kChangeSeparator = 1,
    kChangeSubmenu = 2,
    kChangeCaption = 3,
    kChangeIconFile = 4,
    kChangePressEnter = 5,
    kChangeKeysEnciphered = 6,
    kChangeKeystrokes = 7,
    kChangeTarget = 8,
    kChangeParameters = 9,
    kChangeShellCommand = 10,
    kChangeCommandArgument = 11,
};

class CEditRecord {
public:
    CEditRecord() = default;
    virtual ~CEditRecord() = default;
    CEditRecord(const CEditRecord&) = delete;
    CEditRecord& operator=(const CEditRecord&) = delete;

    // A closed record of kind 2, 3 or 4 naming `item` where it stands now.
    static CEditRecord* placement(int kind, const CMenuItem* item);
    // Notes where `item` stands: before its next item, or after its previous
    // one when it is the last; alone in its list when it has neither.
    void noteNeighbour(const CMenuItem* item);

    // The kept value of a field change (only the field of `changeType`).
    CMenuItem snapshot;
    int kind = 0;
    int changeType = 0;
    int isClosed = 1;
    int itemId = -1;
    // Kinds 2 to 4: the item stood (or is to stand) before the item
    // `neighbourId` when `beforeNeighbour` is set, else after it.
    int neighbourId = -1;
    int beforeNeighbour = 0;
    // The list the item stood in, used only when it had no neighbour.
    CMenuList* list = nullptr;
};

class CEditHistory {
public:
    explicit CEditHistory(CMenuDocument* document = nullptr);
    // Discards every record; the document must still exist.
    virtual ~CEditHistory();
    CEditHistory(const CEditHistory&) = delete;
    CEditHistory& operator=(const CEditHistory&) = delete;

    void setDocument(CMenuDocument* document) { m_document = document; }
    CMenuDocument* document() const { return m_document; }

    // The history owns the records pushed.
    void pushUndo(CEditRecord* record);
    void pushRedo(CEditRecord* record);
    CEditRecord* popUndo();
    CEditRecord* popRedo();
    CEditRecord* topUndo() const;
    bool canUndo() const { return !m_undoStack.empty(); }
    bool canRedo() const { return !m_redoStack.empty(); }

    void markSaved();
    // The tree differs from the one last saved.
    bool isModified() const;
    // A change that is kept off the undo stack (a note) still has to be
    // saved: the tree counts as modified until the next markSaved, whatever
    // undo and redo do meanwhile.
    void markDirty() { m_dirty = true; }
    // Discards the records, destroying what they keep: deleted items (undo
    // stack), undone insertions (redo stack) and dropped submenus (both).
    // clearUndo starts the history over: the tree counts as saved.
    void clearUndo();
    void clearRedo();
    // Closes the top undo record when it is open and concerns this field
    // of this item, so that further typing makes a new step.
    void closeTop(const CMenuItem* item, int changeType);
    // Undoes the top undo record at once when it is open and concerns this
    // field of this item; the record undone, or null.
    CEditRecord* cancelTop(const CMenuItem* item, int changeType);

    // Records a change before it is made to `item`. A placeholder becomes a
    // real item first, with a new placeholder after it in its list, and the
    // step undoes its creation. Typing into one text field folds into one
    // open step. A note change makes no step but marks the tree modified.
    // Empties the redo stack. True when a placeholder became an item (its
    // list must be laid out again).
    bool recordChange(CMenuItem* item, int changeType);

    // Apply the newest record to the document and move it to the other
    // stack; the record, or null when the stack is empty (the caller beeps).
    CEditRecord* undo();
    CEditRecord* redo();

private:
    void apply(CEditRecord* record, bool undoing);
    void discard(CEditRecord* record, int destroyedKind);

    CEditRecord* m_savedTop = nullptr;
    // The saved state's record was discarded: it cannot come back.
    bool m_savedLost = false;
    // Changed outside the undo stack since the last save (see markDirty).
    bool m_dirty = false;
    CMenuDocument* m_document;
    std::deque<CEditRecord*> m_undoStack;
    std::deque<CEditRecord*> m_redoStack;
};
