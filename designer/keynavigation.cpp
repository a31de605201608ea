#include "designer/keynavigation.h"

NavKey NavKeyFromVirtualKey(int virtualKey)
{
    switch (virtualKey) {
    case 0x0D: return NavKey::Enter;     // VK_RETURN
    case 0x21: return NavKey::PageUp;    // VK_PRIOR
    case 0x22: return NavKey::PageDown;  // VK_NEXT
    case 0x23: return NavKey::End;
    case 0x24: return NavKey::Home;
    case 0x25: return NavKey::Left;
    case 0x26: return NavKey::Up;
    case 0x27: return NavKey::Right;
    case 0x28: return NavKey::Down;
    default: return NavKey::Other;
    }
}

namespace {

NavAction Select(NavPanel panel, int index)
{
    NavAction action;
    action.kind = NavAction::Select;
    action.consumed = true;
    action.panel = panel;
    action.index = index;
    return action;
}

NavAction Move(int index, int anchorIndex, bool before)
{
    NavAction action;
    action.kind = NavAction::Move;
    action.consumed = true;
    action.index = index;
    action.anchorIndex = anchorIndex;
    action.before = before;
    action.selectAfter = anchorIndex;
    return action;
}

NavAction Nothing()
{
    NavAction action;
    action.consumed = true;
    return action;
}

}  // namespace

NavAction NavigateKey(NavKey key, bool ctrlHeld, const KeyContext& context)
{
    if (context.dragging || !context.hasCurrentPanel || key == NavKey::Other) return NavAction();
    const int i = context.selectedIndex;
    const int last = context.count - 1;
    const bool inList = i >= 0 && i <= last;
    switch (key) {
    case NavKey::Enter: {
        NavAction action = Nothing();
        action.kind = NavAction::OpenProperties;
        return action;
    }
    case NavKey::Home: return Select(NavPanel::Root, 0);
    case NavKey::End:
        return Select(NavPanel::Last, context.lastPanelCurrentIndex >= 0 ? context.lastPanelCurrentIndex : 0);
    case NavKey::Left:
        return context.hasParentPanel && context.openerIndex >= 0 ? Select(NavPanel::Parent, context.openerIndex)
                                                                  : Nothing();
    case NavKey::Right:
        if (!context.hasChildPanel) return Nothing();
        return Select(NavPanel::Child, context.childCurrentIndex >= 0 ? context.childCurrentIndex : 0);
    case NavKey::Up:
        if (ctrlHeld) return inList && i > 0 ? Move(i, i - 1, true) : Nothing();
        if (last < 0) return Nothing();
        return Select(NavPanel::Current, i > 0 && i <= last ? i - 1 : last);
    case NavKey::Down:
        if (ctrlHeld) return inList && i < last ? Move(i, i + 1, false) : Nothing();
        if (last < 0) return Nothing();
        return Select(NavPanel::Current, i >= 0 && i < last ? i + 1 : 0);
    case NavKey::PageUp: return last < 0 ? Nothing() : Select(NavPanel::Current, 0);
    case NavKey::PageDown: return last < 0 ? Nothing() : Select(NavPanel::Current, last);
    default: return NavAction();
    }
}
