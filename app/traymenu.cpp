#include "app/traymenu.h"

namespace {

bool IsSeparator(HMENU menu, int index)
{
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    return GetMenuItemInfoA(menu, index, TRUE, &info) && (info.fType & MFT_SEPARATOR) != 0;
}

}  // namespace

void trimTrayMenu(HMENU popup, const UINT* ids, int count)
{
    if (popup == nullptr) return;
    for (int i = 0; i < count; ++i) DeleteMenu(popup, ids[i], MF_BYCOMMAND);
    bool previousWasSeparator = true;  // a leading separator goes too
    for (int index = 0; index < GetMenuItemCount(popup);) {
        const bool separator = IsSeparator(popup, index);
        if (separator && previousWasSeparator) {
            DeleteMenu(popup, index, MF_BYPOSITION);
            continue;
        }
        previousWasSeparator = separator;
        ++index;
    }
    const int last = GetMenuItemCount(popup) - 1;
    if (last >= 0 && IsSeparator(popup, last)) DeleteMenu(popup, last, MF_BYPOSITION);
}
