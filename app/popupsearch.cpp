#include "app/popupsearch.h"

HWND lastPopupOf(HWND window)
{
    HWND current = window;
    // Bounded: a cycle of owners cannot occur, but a walk must not hang on one.
    for (int depth = 0; depth < 64; ++depth) {
        HWND found = nullptr;
        for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
            const LONG_PTR style = GetWindowLongPtrA(w, GWL_STYLE);
            if ((style & WS_POPUP) != 0 && (style & WS_VISIBLE) != 0 && GetParent(w) == current) {
                found = w;
                break;
            }
        }
        if (found == nullptr) break;
        current = found;
    }
    return current;
}
