#include "edithistory.h"

#include <utility>

#include "menudocument.h"
#include "menulist.h"

namespace {

bool IsFoldedType(int changeType)
{
    return changeType == kChangeCaption || changeType == kChangeKeystrokes || changeType == kChangeTarget ||
           changeType == kChangeParameters || changeType == kChangeCommandArgument;
}

bool IsSingleStepType(int changeType)
{
    return changeType == kChangeSeparator || changeType == kChangeSubmenu || changeType == kChangeIconFile ||
           changeType == kChangePressEnter || changeType == kChangeKeysEnciphered ||
           changeType == kChangeShellCommand;
}

// Copies the field of `changeType` from `from` into `to` (the record's kept
// value); a submenu is kept as the list itself.
void KeepField(CMenuItem& to, const CMenuItem& from, int changeType)
{
    switch (changeType) {
    case kChangeSeparator: to.separator = from.separator; break;
    case kChangeSubmenu: to.submenu = from.submenu; break;
    case kChangeCaption: to.caption = from.caption; break;
    case kChangeIconFile: to.iconFile = from.iconFile; break;
    case kChangePressEnter: to.pressEnter = from.pressEnter; break;
    case kChangeKeysEnciphered: to.keysEnciphered = from.keysEnciphered; break;
    case kChangeKeystrokes: to.keystrokes = from.keystrokes; break;
    case kChangeTarget: to.target = from.target; break;
    case kChangeParameters: to.parameters = from.parameters; break;
    case kChangeShellCommand: to.shellCommand = from.shellCommand; break;
    case kChangeCommandArgument: to.commandArgument = from.commandArgument; break;
    default: break;
    }
}

// The item takes a kept flag; the record keeps the opposite of it.
void ExchangeFlag(int& field, int& kept)
{
    field = kept;
    kept = field ? 0 : 1;
}

// Exchanges the changed field between the item and the record.
void ExchangeField(CMenuItem& item, CMenuItem& kept, int changeType)
{
    switch (changeType) {
    case kChangeSeparator: ExchangeFlag(item.separator, kept.separator); break;
    case kChangePressEnter: ExchangeFlag(item.pressEnter, kept.pressEnter); break;
    case kChangeKeysEnciphered: ExchangeFlag(item.keysEnciphered, kept.keysEnciphered); break;
    case kChangeSubmenu:
        std::swap(item.submenu, kept.submenu);
        item.hasSubmenu = item.submenu != nullptr;
        break;
    case kChangeCaption: item.caption.swap(kept.caption); break;
    case kChangeIconFile:
        item.iconFile.swap(kept.iconFile);
        item.loadIcon();
        break;
    case kChangeKeystrokes: item.keystrokes.swap(kept.keystrokes); break;
    case kChangeTarget: item.target.swap(kept.target); break;
    case kChangeParameters: item.parameters.swap(kept.parameters); break;
    case kChangeShellCommand: std::swap(item.shellCommand, kept.shellCommand); break;
    case kChangeCommandArgument: item.commandArgument.swap(kept.commandArgument); break;
    default: break;
    }
}

}  // namespace

CEditRecord* CEditRecord::placement(int kind, const CMenuItem* item)
{
    CEditRecord* record = new CEditRecord;
    record->kind = kind;
    record->itemId = item->id;
    record->noteNeighbour(item);
    return record;
}

void CEditRecord::noteNeighbour(const CMenuItem* item)
{
    list = item->parent;
    neighbourId = -1;
    beforeNeighbour = 0;
    if (list == nullptr) return;
    if (const CMenuItem* next = list->next(item)) {
        neighbourId = next->id;
        beforeNeighbour = 1;
    } else if (const CMenuItem* previous = list->previous(item)) {
        neighbourId = previous->id;
    }
}

CEditHistory::CEditHistory(CMenuDocument* document) : m_document(document)
{
}

CEditHistory::~CEditHistory()
{
    clearRedo();
    clearUndo();
}

void CEditHistory::pushUndo(CEditRecord* record)
{
    m_undoStack.push_back(record);
}

void CEditHistory::pushRedo(CEditRecord* record)
{
    m_redoStack.push_back(record);
}

CEditRecord* CEditHistory::popUndo()
{
    if (m_undoStack.empty()) return nullptr;
    CEditRecord* record = m_undoStack.back();
    m_undoStack.pop_back();
    return record;
}

CEditRecord* CEditHistory::popRedo()
{
    if (m_redoStack.empty()) return nullptr;
    CEditRecord* record = m_redoStack.back();
    m_redoStack.pop_back();
    return record;
}

CEditRecord* CEditHistory::topUndo() const
{
    return m_undoStack.empty() ? nullptr : m_undoStack.back();
}

void CEditHistory::markSaved()
{
    m_savedTop = topUndo();
    m_savedLost = false;
    m_dirty = false;
}

bool CEditHistory::isModified() const
{
    if (m_savedLost || m_dirty) return true;
    if (m_undoStack.empty()) return m_savedTop != nullptr;
    return topUndo() != m_savedTop;
}

void CEditHistory::discard(CEditRecord* record, int destroyedKind)
{
    // A pointer compare with a freed record could match a later one at the
    // same address and report an edited tree as saved.
    if (record == m_savedTop) {
        m_savedTop = nullptr;
        m_savedLost = true;
    }
    if (m_document != nullptr) {
        if (record->kind == destroyedKind) {
            CMenuItem* item = m_document->findItem(record->itemId);
            // Only an item out of every list is the record's to destroy.
            if (item != nullptr && item->parent == nullptr) {
                if (item->submenu != nullptr) m_document->deleteMenu(item->submenu);
                m_document->unregisterItem(item);
                delete item;
            }
        } else if (record->kind == kEditChange && record->changeType == kChangeSubmenu &&
                   record->snapshot.submenu != nullptr) {
            m_document->deleteMenu(record->snapshot.submenu);
        }
    }
    record->snapshot.submenu = nullptr;
    delete record;
}

void CEditHistory::clearUndo()
{
    while (CEditRecord* record = popUndo()) discard(record, kEditDelete);
    m_savedTop = nullptr;
    m_savedLost = false;
    m_dirty = false;
}

void CEditHistory::clearRedo()
{
    while (CEditRecord* record = popRedo()) discard(record, kEditInsert);
}

void CEditHistory::closeTop(const CMenuItem* item, int changeType)
{
    CEditRecord* top = topUndo();
    if (top != nullptr && !top->isClosed && top->itemId == item->id && top->changeType == changeType)
        top->isClosed = 1;
}

CEditRecord* CEditHistory::cancelTop(const CMenuItem* item, int changeType)
{
    CEditRecord* top = topUndo();
    if (top == nullptr || top->isClosed || top->itemId != item->id || top->changeType != changeType)
        return nullptr;
    return undo();
}

bool CEditHistory::recordChange(CMenuItem* item, int changeType)
{
    bool becameItem = false;
    if (item->isPlaceholder) {
        item->isPlaceholder = 0;
        if (CMenuList* list = item->parent) {
            list->ensurePlaceholder();
            CMenuItem* placeholder = list->firstPlaceholder();
            // The new real item carries the newer id.
            if (placeholder != nullptr && m_document != nullptr) m_document->swapIds(placeholder, item);
        }
        CEditRecord* record = new CEditRecord;
        record->kind = kEditInsert;
        record->changeType = changeType;
        record->isClosed = 0;
        record->itemId = item->id;
        pushUndo(record);
        becameItem = true;
    } else if (IsFoldedType(changeType)) {
        const CEditRecord* top = topUndo();
        if (top == nullptr || top->isClosed || top->itemId != item->id || top->changeType != changeType) {
            CEditRecord* record = new CEditRecord;
            record->kind = kEditChange;
            record->changeType = changeType;
            record->isClosed = 0;
            record->itemId = item->id;
            KeepField(record->snapshot, *item, changeType);
            pushUndo(record);
        }
    } else if (IsSingleStepType(changeType)) {
        CEditRecord* record = new CEditRecord;
        record->kind = kEditChange;
        record->changeType = changeType;
        record->itemId = item->id;
        KeepField(record->snapshot, *item, changeType);
        pushUndo(record);
    } else if (changeType == kChangeNote) {
        markDirty();
    }
    clearRedo();
    return becameItem;
}

CEditRecord* CEditHistory::undo()
{
    CEditRecord* record = popUndo();
    if (record == nullptr) return nullptr;
    apply(record, true);
    pushRedo(record);
    return record;
}

CEditRecord* CEditHistory::redo()
{
    CEditRecord* record = popRedo();
    if (record == nullptr) return nullptr;
    apply(record, false);
    record->isClosed = 1;
    pushUndo(record);
    return record;
}

void CEditHistory::apply(CEditRecord* record, bool undoing)
{
    CMenuItem* item = m_document != nullptr ? m_document->findItem(record->itemId) : nullptr;
    if (item == nullptr) return;

    if (record->kind == kEditChange) {
        ExchangeField(*item, record->snapshot, record->changeType);
        return;
    }
    if (record->kind != kEditInsert && record->kind != kEditDelete && record->kind != kEditMove) return;

    // Where the record says the item is to stand.
    CMenuItem* neighbour = m_document->findItem(record->neighbourId);
    CMenuList* list = neighbour != nullptr ? neighbour->parent : record->list;
    const bool before = record->beforeNeighbour != 0;

    // Undoing an insertion and redoing a deletion take the item out; the
    // other two put it back; a move goes back and forth.
    const bool takeOut = (record->kind == kEditInsert) == undoing;
    if (record->kind != kEditMove && takeOut) {
        record->noteNeighbour(item);
        if (item->parent != nullptr) item->parent->remove(item);
    } else if (record->kind != kEditMove) {
        if (item->parent == nullptr && list != nullptr) list->insert(item, neighbour, before);
    } else if (list != nullptr && item->parent != nullptr) {
        CMenuList* source = item->parent;
        record->noteNeighbour(item);
        source->take(item);
        list->insert(item, neighbour, before);
    }
}
