#include "designer/itemmove.h"

#include "menudoc/edithistory.h"
#include "menudoc/menulist.h"

bool IsInOwnSubtree(const CMenuItem* item, const CMenuList* list)
{
    if (item == nullptr || list == nullptr || item->submenu == nullptr) return false;
    return item->submenu == list || item->submenu->containsMenu(list);
}

bool CanMoveNextTo(const CMenuItem* item, const CMenuItem* anchor)
{
    if (item == nullptr || anchor == nullptr || item == anchor) return false;
    if (item->parent == nullptr || anchor->parent == nullptr) return false;
    return !IsInOwnSubtree(item, anchor->parent);
}

CMenuList* NestedList(CMenuList* source, CMenuList* target)
{
    if (source == nullptr || target == nullptr || source == target) return nullptr;
    if (source->containsMenu(target)) return source;
    if (target->containsMenu(source)) return target;
    return nullptr;
}

MoveResult MoveItemRecorded(CEditHistory& history, CMenuItem* item, CMenuItem* anchor, bool before)
{
    MoveResult result;
    if (!CanMoveNextTo(item, anchor)) return result;
    result.source = item->parent;
    result.target = anchor->parent;
    history.pushUndo(CEditRecord::placement(kEditMove, item));
    result.source->take(item);
    result.target->insert(item, anchor, before);
    result.nested = NestedList(result.source, result.target);
    result.moved = true;
    return result;
}
