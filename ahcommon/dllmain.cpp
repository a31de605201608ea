#include "ahexport.h"

// Nothing to set up beyond the runtime's own start-up.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
