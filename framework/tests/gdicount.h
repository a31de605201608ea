// The process's GDI objects, for tests and benchmarks that check paint paths
// release what they make.
#pragma once

#include <windows.h>

// Wine keeps no count for GetGuiResources, but its handle table answers
// GetObjectType for a bare index, so live handles are counted there.
inline DWORD GdiObjectCount()
{
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0) return counted;
    DWORD live = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++live;
    return live;
}
