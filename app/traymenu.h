// Trimming the tray menu to what the current login offers.
#pragma once

#include <windows.h>

// Removes the commands `ids` from `popup`, then any separator left at
// either end or next to another one, so the menu never shows a double line.
void trimTrayMenu(HMENU popup, const UINT* ids, int count);
