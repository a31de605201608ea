#include "designer/undoplan.h"

#include "designer/itemmove.h"
#include "menudoc/edithistory.h"
#include "menudoc/menudocument.h"

namespace {

// The newest record of the stack, left where it is.
CEditRecord* PeekStep(CEditHistory& history, HistoryStep step)
{
    if (step == HistoryStep::Undo) return history.topUndo();
    CEditRecord* record = history.popRedo();
    if (record != nullptr) history.pushRedo(record);
    return record;
}

// Whether the step takes the item out of the tree (undo of an insertion,
// redo of a deletion) rather than putting it in or moving it.
bool TakesOut(const CEditRecord& record, HistoryStep step)
{
    return (record.kind == kEditInsert && step == HistoryStep::Undo) ||
           (record.kind == kEditDelete && step == HistoryStep::Redo);
}

// The list a put-back or move step places the item in.
CMenuList* PlacementList(const CEditRecord& record, const CMenuDocument& document)
{
    const CMenuItem* neighbour = document.findItem(record.neighbourId);
    return neighbour != nullptr ? neighbour->parent : record.list;
}

ScreenWork WorkForChange(int changeType)
{
    switch (changeType) {
    case kChangeSeparator: return ScreenWork::Relayout;
    case kChangeCaption: return ScreenWork::AroundItem;
    case kChangeIconFile: return ScreenWork::RepaintItem;
    case kChangeSubmenu: return ScreenWork::Submenu;
    default: return ScreenWork::None;
    }
}

// The item to select in `list` after `record` took its item out: the
// recorded neighbour, else whatever the list now has selected.
CMenuItem* SelectionAfterRemoval(const CEditRecord& record, const CMenuDocument& document, CMenuList* list)
{
    if (CMenuItem* neighbour = document.findItem(record.neighbourId)) return neighbour;
    if (list == nullptr || list->count() == 0) return nullptr;
    int index = list->currentIndex;
    if (index < 0) index = 0;
    if (index >= list->count()) index = list->count() - 1;
    return list->items[static_cast<std::size_t>(index)];
}

}  // namespace

UndoPlan RunHistoryStep(CEditHistory& history, HistoryStep step)
{
    UndoPlan plan;
    CMenuDocument* document = history.document();
    CEditRecord* record = PeekStep(history, step);
    if (record == nullptr || document == nullptr) return plan;

    CMenuItem* item = document->findItem(record->itemId);
    const bool structural = record->kind == kEditInsert || record->kind == kEditDelete || record->kind == kEditMove;
    if (item != nullptr && structural && !TakesOut(*record, step) &&
        IsInOwnSubtree(item, PlacementList(*record, *document))) {
        plan.refused = true;
        return plan;
    }
    CMenuList* before = item != nullptr ? item->parent : nullptr;

    record = step == HistoryStep::Undo ? history.undo() : history.redo();
    plan.applied = true;
    plan.kind = record->kind;
    plan.changeType = record->changeType;
    plan.item = item;
    if (item == nullptr) return plan;
    CMenuList* after = item->parent;

    if (record->kind == kEditChange) {
        plan.screenWork = WorkForChange(record->changeType);
        if (plan.screenWork != ScreenWork::None) plan.relayout[0] = after;
        if (plan.screenWork == ScreenWork::Submenu) plan.closeChildOf[0] = after;
        plan.updateScrollRange = plan.screenWork == ScreenWork::Relayout || plan.screenWork == ScreenWork::Submenu;
        plan.show = item;
        plan.refreshPalette = true;
        return plan;
    }
    if (!structural) return plan;

    plan.screenWork = ScreenWork::Relayout;
    plan.updateScrollRange = true;
    plan.closeChildOf[0] = before;
    plan.relayout[0] = before;
    if (after != before) {
        plan.closeChildOf[1] = after;
        plan.relayout[1] = after;
    }
    plan.show = after != nullptr ? item : SelectionAfterRemoval(*record, *document, before);
    return plan;
}
