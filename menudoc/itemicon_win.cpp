#include "itemicon.h"

ItemIcon LoadItemIcon(const std::string& path)
{
    if (path.empty()) return nullptr;
    HANDLE image = LoadImageA(nullptr, path.c_str(), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                              GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE);
    return static_cast<HICON>(image);
}

void DestroyItemIcon(ItemIcon icon)
{
    if (icon != nullptr) DestroyIcon(icon);
}
