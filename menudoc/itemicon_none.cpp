#include "itemicon.h"

std::string ResolveIconPath(const std::string& path)
{
    return path;
}

ItemIcon LoadItemIcon(const std::string&)
{
    return nullptr;
}

void DestroyItemIcon(ItemIcon)
{
}
