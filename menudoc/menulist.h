// One level of a menu tree: an ordered list of items, owned by the list.
// Lists are made and deleted only through their document.
#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <vector>

#include "menuitem.h"

class CMenuPanel;

class CMenuList {
public:
    explicit CMenuList(CMenuItem* parentItem = nullptr);
    // Unregisters and destroys the items, but not their submenus.
    virtual ~CMenuList();
    CMenuList(const CMenuList&) = delete;
    CMenuList& operator=(const CMenuList&) = delete;

    // A new registered item at the end; it becomes `currentItem`.
    CMenuItem* appendNew(int placeholder);
    // Gives a submenu its placeholder when it has none; the root never gets one.
    void ensurePlaceholder();
    // The item at `index` or null; a found item (or index -1: null) becomes
    // `currentItem`.
    CMenuItem* itemAt(int index);
    int count() const { return static_cast<int>(items.size()); }
    void setCurrentIndex(int index) { currentIndex = index; }
    int getCurrentIndex() const { return currentIndex; }
    CMenuItem* selectedItem() { return itemAt(currentIndex); }
    CMenuItem* firstPlaceholder() const;
    // Puts an (unregistered or moved) item next to `anchor` and selects its
    // position. With an anchor that is not in the list the item is appended.
    void insert(CMenuItem* item, CMenuItem* anchor, bool before);
    // Unlinks without destroying; `parent` becomes null. With one item left
    // the selection moves to it.
    bool remove(CMenuItem* item);
    // Unlinks without destroying and without touching `parent` or selection.
    CMenuItem* take(CMenuItem* item);
    int indexOf(const CMenuItem* item) const;
    CMenuItem* next(const CMenuItem* item) const;
    CMenuItem* previous(const CMenuItem* item) const;
    // True when `list` is a submenu anywhere below this list.
    bool containsMenu(const CMenuList* list) const;
    bool allPlaceholders() const;
    // Brings submenus in line with `hasSubmenu`, recursively: adds a list
    // with a placeholder where one is missing, deletes those not wanted.
    void normaliseSubmenus();
    // Deletes the submenu of every item through the document.
    void deleteSubmenus();
    // Appends registered deep copies of the items of `other`.
    void copyItemsFrom(const CMenuList& other);
    CMenuItem* getParentItem() const { return parentItem; }

    // The file form: toBlock is the run of item packets of this list;
    // toBody is this list's block followed by the bodies of the submenus that
    // hold a real item, in preorder; empty when the list holds no real item.
    std::string toBlock(const ItemKey& key) const;
    std::string toBody(const ItemKey& key) const;
    void appendBody(std::string& out, const ItemKey& key) const;
    // Reads this list's block and its submenus' bodies from the front of
    // `stream` and removes what it read. Never fails; an item record that
    // cannot be read is dropped, and the result is false then.
    bool fromBody(std::string& stream, const ItemKey& key);
    bool fromBody(const std::string& stream, std::size_t& position, const ItemKey& key);

    CMenuPanel* panel = nullptr;
    CMenuDocument* document = nullptr;
    int isRoot = 0;
    int currentIndex = -1;
    CMenuItem* currentItem = nullptr;
    CMenuItem* parentItem;
    std::vector<CMenuItem*> items;

private:
    friend class CMenuDocument;
    // Where the document keeps this list, for removal in constant time.
    std::list<CMenuList*>::iterator m_documentEntry;
    bool m_inDocument = false;

    // Takes this list's block off the stream and appends its items; false
    // when no block is there. An item record that cannot be read clears
    // `readable`.
    bool readBlock(const std::string& stream, std::size_t& position, const ItemKey& key, bool& readable);
};
