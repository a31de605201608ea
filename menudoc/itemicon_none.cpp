#include "itemicon.h"

ItemIcon LoadItemIcon(const std::string&)
{
    return nullptr;
}

void DestroyItemIcon(ItemIcon)
{
}
