#include "menudocument.h"

#include <cstring>
#include <vector>

namespace {

// FNV-1a over 8-byte words, the high bits folded back in each step (byte by
// byte, the multiplies' latency was a noticeable share of loading a large
// menu): tells one body from another; collisions by chance are out of reach
// at 64 bits, and nobody gains by forging one. Only compared within the
// process, so the word order of the machine does not matter.
std::uint64_t BodyDigest(const std::string& body)
{
    std::uint64_t digest = 14695981039346656037ull;
    const char* p = body.data();
    std::size_t n = body.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        digest = (digest ^ word) * 1099511628211ull;
        digest ^= digest >> 29;
    }
    for (; n > 0; ++p, --n) digest = (digest ^ static_cast<unsigned char>(*p)) * 1099511628211ull;
    return digest;
}

}  // namespace

CMenuDocument::CMenuDocument()
{
}

CMenuDocument::~CMenuDocument()
{
    // Owners delete the root first; whatever is left (a tree never deleted,
    // lists an edit history kept) is released here rather than leaked.
    for (CMenuList* list : menus) delete list;
}

CMenuList* CMenuDocument::newMenu(CMenuItem* parentItem)
{
    CMenuList* list = new CMenuList(parentItem);
    list->document = this;
    list->m_documentEntry = menus.insert(menus.end(), list);
    list->m_inDocument = true;
    lastCreatedMenu = list;
    return list;
}

bool CMenuDocument::deleteMenu(CMenuList* list)
{
    if (list == nullptr) return false;

    // The lists below `list`, parents before children; deleted children
    // first. A queue of our own instead of recursion, for trees of any depth.
    std::vector<CMenuList*> below;
    for (CMenuItem* item : list->items) {
        if (item->submenu != nullptr) below.push_back(item->submenu);
        item->submenu = nullptr;
    }
    for (std::size_t i = 0; i < below.size(); ++i)
        for (CMenuItem* item : below[i]->items)
            if (item->submenu != nullptr) below.push_back(item->submenu);
    for (auto it = below.rbegin(); it != below.rend(); ++it) {
        CMenuList* sub = *it;
        CMenuDocument* owner = sub->document != nullptr ? sub->document : this;
        if (sub->m_inDocument) {
            owner->menus.erase(sub->m_documentEntry);
            sub->m_inDocument = false;
        }
        if (owner->rootMenu == sub) owner->rootMenu = nullptr;
        if (owner->lastCreatedMenu == sub) owner->lastCreatedMenu = nullptr;
        delete sub;
    }

    if (list->document != this || !list->m_inDocument) return false;
    menus.erase(list->m_documentEntry);
    list->m_inDocument = false;
    if (rootMenu == list) rootMenu = nullptr;
    if (lastCreatedMenu == list) lastCreatedMenu = nullptr;
    delete list;
    return true;
}

void CMenuDocument::ensurePlaceholders()
{
    for (CMenuList* list : menus) list->ensurePlaceholder();
}

int CMenuDocument::registerItem(CMenuItem* item)
{
    itemsById.emplace_hint(itemsById.end(), nextId, item);
    return nextId++;
}

void CMenuDocument::unregisterItem(CMenuItem* item)
{
    auto entry = itemsById.find(item->id);
    if (entry != itemsById.end() && entry->second == item) itemsById.erase(entry);
}

CMenuItem* CMenuDocument::findItem(int id) const
{
    auto entry = itemsById.find(id);
    return entry == itemsById.end() ? nullptr : entry->second;
}

void CMenuDocument::swapIds(CMenuItem* a, CMenuItem* b)
{
    std::swap(a->id, b->id);
    itemsById[a->id] = a;
    itemsById[b->id] = b;
}

bool CMenuDocument::canWrite()
{
    const CUserEntry* user = accountFile.currentUser();
    return user != nullptr && user->rights.find('w') != std::string::npos;
}

bool CMenuDocument::load(const std::string& path, const std::string& menuName, const std::string& userName,
                         const std::string& password, const ItemKey& itemKey)
{
    accountFile.close();
    m_stored = false;
    loadFailure = LoadFailure::FileUnreadable;
    if (accountFile.load(path)) {
        loadFailure = LoadFailure::NoMatch;
        if (accountFile.select(menuName, userName, password)) {
            const std::string& body = accountFile.currentRecord()->body();
            rememberStored(menuName, body);
            const bool parsed = parse(body, itemKey);
            loadFailure = parsed ? LoadFailure::None : LoadFailure::BadBody;
            return parsed;
        }
    }
    // Owners show what was read: without a file that is an empty tree.
    if (rootMenu == nullptr) {
        rootMenu = newMenu(nullptr);
        rootMenu->isRoot = 1;
    }
    return false;
}

bool CMenuDocument::save(const std::string& path, const std::string& menuName, const std::string& userName,
                         const std::string& password, const ItemKey& itemKey)
{
    return saveHeld(path, menuName, userName, password, itemKey, false) == SaveOutcome::Saved;
}

SaveOutcome CMenuDocument::saveChecked(const std::string& path, const std::string& menuName,
                                       const std::string& userName, const std::string& password,
                                       const ItemKey& itemKey, bool overwrite)
{
    return saveHeld(path, menuName, userName, password, itemKey, !overwrite);
}

SaveOutcome CMenuDocument::saveHeld(const std::string& path, const std::string& menuName,
                                    const std::string& userName, const std::string& password,
                                    const ItemKey& itemKey, bool check)
{
    accountFile.close();
    // Held from reading to writing, so that no other save falls in between.
    if (!accountFile.loadForUpdate(path) || !accountFile.select(menuName, userName, password)) {
        accountFile.close();
        return SaveOutcome::Failed;
    }
    if (check) {
        const std::string& stored = accountFile.currentRecord()->body();
        const bool unchanged = m_stored && m_storedPath == accountFile.path() && m_storedMenu == menuName &&
                               m_storedLength == stored.size() && m_storedDigest == BodyDigest(stored);
        if (!unchanged) {
            accountFile.close();
            return SaveOutcome::Conflict;
        }
    }
    std::string body;
    if (rootMenu != nullptr) rootMenu->appendBody(body, itemKey);
    CAccountRecord* record = accountFile.currentRecord();
    record->setBody(std::move(body));
    const bool saved = accountFile.save() == 1;
    if (saved) rememberStored(menuName, record->body());
    accountFile.close();
    return saved ? SaveOutcome::Saved : SaveOutcome::Failed;
}

void CMenuDocument::rememberStored(const std::string& menuName, const std::string& body)
{
    m_stored = true;
    m_storedPath = accountFile.path();
    m_storedMenu = menuName;
    m_storedDigest = BodyDigest(body);
    m_storedLength = body.size();
}

void CMenuDocument::close()
{
    accountFile.close();
}

bool CMenuDocument::parse(const std::string& body, const ItemKey& itemKey)
{
    decryptFailed = 0;
    if (rootMenu != nullptr) deleteMenu(rootMenu);
    rootMenu = newMenu(nullptr);
    rootMenu->isRoot = 1;

    if (body.empty()) {
        CMenuItem* item = rootMenu->appendNew(0);
        item->hasSubmenu = 1;
        item->caption = "Vantrel";
        return true;
    }

    std::size_t position = 0;
    const bool readable = rootMenu->fromBody(body, position, itemKey);
    // Only the cipher's filler (A0 and above) may follow the last block.
    for (; position < body.size(); ++position)
        if (static_cast<unsigned char>(body[position]) < 0xA0) return false;
    return readable;
}
