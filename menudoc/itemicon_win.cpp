#include "itemicon.h"

#include "ahcommon/ahsystem.h"

namespace {

// Whether `path` names a place of its own: a drive ("C:..."), a share or the
// root of the current drive ("\..."). Anything else is relative.
bool IsRooted(const std::string& path)
{
    if (path.size() >= 2 && path[1] == ':') return true;
    return !path.empty() && (path[0] == '\\' || path[0] == '/');
}

HICON LoadSmallIcon(const std::string& path)
{
    return static_cast<HICON>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE));
}

}  // namespace

// Icons inside the program folder are stored relative to it, so they are
// looked for there first: the current folder is wherever the program was
// started from (the system's own folder when it starts with Windows).
std::string ResolveIconPath(const std::string& path)
{
    if (path.empty() || IsRooted(path)) return path;
    const std::string inProgramFolder = GetModulePath() + path;
    const DWORD attributes = GetFileAttributesA(inProgramFolder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return path;
    return inProgramFolder;
}

ItemIcon LoadItemIcon(const std::string& path)
{
    if (path.empty()) return nullptr;
    return LoadSmallIcon(ResolveIconPath(path));
}

void DestroyItemIcon(ItemIcon icon)
{
    if (icon != nullptr) DestroyIcon(icon);
}
