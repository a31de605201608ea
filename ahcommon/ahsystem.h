// Library start-up (Winsock), the process-wide resource module that string
// resources come from, and small queries of the system.
#pragma once

#include <string>

#include "ahexport.h"

extern "C" {

// Starts Winsock 2.2 once per process; 1 on success or when already started.
AHCOMMON_API int AhStartup();
// Ends Winsock if AhStartup started it; 0 only when WSACleanup fails.
AHCOMMON_API int AhCleanup();

// The module string resources are loaded from; null means the executable.
AHCOMMON_API HINSTANCE AhSetResourceHandle(HINSTANCE module);
AHCOMMON_API HINSTANCE AhGetResourceHandle();

// Loads string resource `id` whole, however long; 1 if it exists and is not
// empty.
AHCOMMON_API int AhLoadString(UINT id, std::string& text);
// Replaces `text` with the window's text.
AHCOMMON_API void AhGetWindowText(HWND window, std::string& text);

// Drive and folder of the executable, ending with a backslash.
AHCOMMON_API std::string GetModulePath();
// The first IPv4 address of the local host name, dotted, or empty.
AHCOMMON_API std::string GetLocalIP();

}
