#include "menulist.h"

#include <algorithm>

#include "menudocument.h"
#include "packetstream.h"

namespace {

// Only items of this kind have a submenu body in the file.
bool WritesSubmenuBody(const CMenuItem* item)
{
    return !item->isPlaceholder && item->hasSubmenu && item->submenu != nullptr &&
           !item->submenu->allPlaceholders();
}

// Appends the block packet of `list`; false (nothing appended) when the list
// holds no real item.
bool AppendBlock(std::string& out, const CMenuList* list, const ItemKey& key, std::string& payload,
                 std::string& record)
{
    payload.clear();
    for (const CMenuItem* item : list->items) {
        if (item->isPlaceholder) continue;
        record.clear();
        item->appendRecord(record, key);
        AppendPacket(payload, record);
    }
    if (payload.empty()) return false;
    AppendPacket(out, payload);
    return true;
}

}  // namespace

CMenuList::CMenuList(CMenuItem* parent) : parentItem(parent)
{
}

CMenuList::~CMenuList()
{
    for (CMenuItem* item : items) {
        if (document != nullptr) document->unregisterItem(item);
        delete item;
    }
}

CMenuItem* CMenuList::appendNew(int placeholder)
{
    CMenuItem* item = new CMenuItem(this);
    item->isPlaceholder = placeholder;
    if (document != nullptr) item->id = document->registerItem(item);
    items.push_back(item);
    currentItem = item;
    return item;
}

void CMenuList::ensurePlaceholder()
{
    if (isRoot || firstPlaceholder() != nullptr) return;
    appendNew(1);
}

CMenuItem* CMenuList::itemAt(int index)
{
    if (index == -1) currentItem = nullptr;
    if (index < 0 || index >= count()) return nullptr;
    currentItem = items[index];
    return currentItem;
}

CMenuItem* CMenuList::firstPlaceholder() const
{
    for (CMenuItem* item : items)
        if (item->isPlaceholder) return item;
    return nullptr;
}

void CMenuList::insert(CMenuItem* item, CMenuItem* anchor, bool before)
{
    auto position = std::find(items.begin(), items.end(), anchor);
    if (position != items.end() && !before) ++position;
    position = items.insert(position, item);
    item->parent = this;
    currentIndex = static_cast<int>(position - items.begin());
}

bool CMenuList::remove(CMenuItem* item)
{
    if (take(item) == nullptr) return false;
    item->parent = nullptr;
    if (items.size() == 1) currentIndex = 0;
    return true;
}

CMenuItem* CMenuList::take(CMenuItem* item)
{
    auto position = std::find(items.begin(), items.end(), item);
    if (position == items.end()) return nullptr;
    items.erase(position);
    // The cursor must not outlive the item's place here.
    if (currentItem == item) currentItem = nullptr;
    return item;
}

int CMenuList::indexOf(const CMenuItem* item) const
{
    auto position = std::find(items.begin(), items.end(), item);
    return position == items.end() ? -1 : static_cast<int>(position - items.begin());
}

CMenuItem* CMenuList::next(const CMenuItem* item) const
{
    const int index = indexOf(item);
    return index < 0 || index + 1 >= count() ? nullptr : items[index + 1];
}

CMenuItem* CMenuList::previous(const CMenuItem* item) const
{
    const int index = indexOf(item);
    return index <= 0 ? nullptr : items[index - 1];
}

bool CMenuList::containsMenu(const CMenuList* list) const
{
    std::vector<const CMenuList*> pending{this};
    while (!pending.empty()) {
        const CMenuList* current = pending.back();
        pending.pop_back();
        for (const CMenuItem* item : current->items) {
            if (item->submenu == nullptr) continue;
            if (item->submenu == list) return true;
            pending.push_back(item->submenu);
        }
    }
    return false;
}

bool CMenuList::allPlaceholders() const
{
    return std::all_of(items.begin(), items.end(), [](const CMenuItem* item) { return item->isPlaceholder != 0; });
}

void CMenuList::normaliseSubmenus()
{
    // Depth first in item order, as a recursion would go, but on a stack of
    // its own so that no depth of tree exhausts the thread's stack.
    std::vector<std::pair<CMenuList*, std::size_t>> pending{{this, 0}};
    while (!pending.empty()) {
        CMenuList* list = pending.back().first;
        const std::size_t index = pending.back().second++;
        if (index >= list->items.size()) {
            pending.pop_back();
            continue;
        }
        CMenuItem* item = list->items[index];
        if (item->hasSubmenu && item->submenu == nullptr) {
            if (list->document == nullptr) continue;
            item->submenu = list->document->newMenu(item);
            item->submenu->appendNew(1);
        } else if (item->hasSubmenu) {
            pending.emplace_back(item->submenu, 0);
        } else if (item->submenu != nullptr) {
            if (list->document != nullptr) list->document->deleteMenu(item->submenu);
            item->submenu = nullptr;
        }
    }
}

void CMenuList::deleteSubmenus()
{
    for (CMenuItem* item : items) {
        if (item->submenu == nullptr) continue;
        if (document != nullptr) document->deleteMenu(item->submenu);
        item->submenu = nullptr;
    }
}

void CMenuList::copyItemsFrom(const CMenuList& other)
{
    // The count first: copying a list into itself must end.
    const std::size_t total = other.items.size();
    for (std::size_t i = 0; i < total; ++i) {
        CMenuItem* copy = new CMenuItem(this);
        copy->copyFrom(*other.items[i]);
        if (document != nullptr) copy->id = document->registerItem(copy);
        items.push_back(copy);
    }
}

std::string CMenuList::toBlock(const ItemKey& key) const
{
    std::string block;
    std::string record;
    for (const CMenuItem* item : items) {
        if (item->isPlaceholder) continue;
        record.clear();
        item->appendRecord(record, key);
        AppendPacket(block, record);
    }
    return block;
}

std::string CMenuList::toBody(const ItemKey& key) const
{
    std::string body;
    appendBody(body, key);
    return body;
}

void CMenuList::appendBody(std::string& out, const ItemKey& key) const
{
    std::string payload;
    std::string record;
    if (!AppendBlock(out, this, key, payload, record)) return;

    // Preorder: each list's block, then its submenus' bodies in item order.
    std::vector<std::pair<const CMenuList*, std::size_t>> pending{{this, 0}};
    while (!pending.empty()) {
        const CMenuList* list = pending.back().first;
        const std::size_t index = pending.back().second++;
        if (index >= list->items.size()) {
            pending.pop_back();
            continue;
        }
        const CMenuItem* item = list->items[index];
        if (!WritesSubmenuBody(item)) continue;
        AppendBlock(out, item->submenu, key, payload, record);
        pending.emplace_back(item->submenu, 0);
    }
}

bool CMenuList::fromBody(std::string& stream, const ItemKey& key)
{
    std::size_t position = 0;
    const bool result = fromBody(stream, position, key);
    stream.erase(0, position);
    return result;
}

bool CMenuList::readBlock(const std::string& stream, std::size_t& position, const ItemKey& key,
                          bool& readable)
{
    std::string block;
    if (TakePacket(stream, position, block) != 1) return false;

    std::string record;
    std::size_t inner = 0;
    // Items end at the first packet that yields nothing, an empty one
    // included, as for any reader that loops on UnpacketMessage.
    while (TakePacket(block, inner, record) == 1) {
        CMenuItem* item = appendNew(0);
        const RecordStatus status = item->fromRecord(record, key);
        if (status == RecordStatus::TooShort) {
            // Not an item: it is dropped, and the body counts as damaged.
            take(item);
            if (document != nullptr) document->unregisterItem(item);
            delete item;
            readable = false;
        } else if (status == RecordStatus::KeysUndeciphered && document != nullptr) {
            document->decryptFailed = 1;
        }
    }
    return true;
}

bool CMenuList::fromBody(const std::string& stream, std::size_t& position, const ItemKey& key)
{
    bool readable = true;
    const std::size_t first = items.size();
    if (!readBlock(stream, position, key, readable)) return true;

    std::vector<std::pair<CMenuList*, std::size_t>> pending{{this, first}};
    while (!pending.empty()) {
        CMenuList* list = pending.back().first;
        const std::size_t index = pending.back().second++;
        if (index >= list->items.size()) {
            pending.pop_back();
            continue;
        }
        CMenuItem* item = list->items[index];
        if (!item->hasSubmenu || item->submenuEmpty || item->submenu != nullptr || list->document == nullptr)
            continue;
        CMenuList* submenu = list->document->newMenu(item);
        item->submenu = submenu;
        if (submenu->readBlock(stream, position, key, readable)) pending.emplace_back(submenu, 0);
    }
    return readable;
}
