// The icon drawn before a menu item's caption. Loading one needs Windows; the
// native build has the same calls, which give items without icons.
#pragma once

#include <string>

#ifdef _WIN32
#include <windows.h>
typedef HICON ItemIcon;
#else
typedef void* ItemIcon;
#endif

// The file an icon path names: a relative path that names a file in the
// program's folder is taken from there, anything else as it stands.
std::string ResolveIconPath(const std::string& path);
// An icon of the system's small-icon size from an .ico file, or null.
ItemIcon LoadItemIcon(const std::string& path);
void DestroyItemIcon(ItemIcon icon);
