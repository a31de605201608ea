// Finding the dialog a window has open.
#pragma once

#include <windows.h>

// The last of the chain of visible popups owned by `window` (a dialog, the
// dialog's own message box, ...), or `window` itself when it has none open.
HWND lastPopupOf(HWND window);
