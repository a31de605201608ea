// A whole menu tree: its lists, the ids of its items, and the menu file
// (account file) it was read from and is saved to.
#pragma once

#include <list>
#include <map>
#include <string>

#include "accounts/accountfile.h"
#include "menulist.h"

class CMenuDocument {
public:
    CMenuDocument();
    // Deletes the lists still held; owners normally delete the root first.
    virtual ~CMenuDocument();
    CMenuDocument(const CMenuDocument&) = delete;
    CMenuDocument& operator=(const CMenuDocument&) = delete;

    CMenuList* newMenu(CMenuItem* parentItem);
    // Deletes the list, its submenus first; false for a list not of this
    // document (its submenus are deleted all the same).
    bool deleteMenu(CMenuList* list);
    void ensurePlaceholders();
    int registerItem(CMenuItem* item);
    void unregisterItem(CMenuItem* item);
    CMenuItem* findItem(int id) const;
    void swapIds(CMenuItem* a, CMenuItem* b);
    // The user chosen by the last load or save may write the menu.
    bool canWrite();

    // Reads the menu of that name as that user from a menu file; false when
    // the file cannot be read, no record and user match, or the body is bad.
    bool load(const std::string& path, const std::string& menuName, const std::string& userName,
              const std::string& password, const ItemKey& itemKey);
    // Puts the tree back into its record and rewrites the file; false, with
    // the file untouched, when it cannot be read, the user no longer matches
    // or the file cannot be written.
    bool save(const std::string& path, const std::string& menuName, const std::string& userName,
              const std::string& password, const ItemKey& itemKey);
    void close();
    // Replaces the tree with the one of `body`; an empty body gives the
    // default tree. False when bytes below A0 are left after the last block
    // or an item record cannot be read; what was read stays.
    bool parse(const std::string& body, const ItemKey& itemKey);

    CMenuList* rootMenu = nullptr;
    CAccountFile accountFile;
    int nextId = 0;
    CMenuList* lastCreatedMenu = nullptr;
    std::list<CMenuList*> menus;
    std::map<int, CMenuItem*> itemsById;
    // Set by parse when an item's keystrokes did not decipher with the item
    // key (the key is wrong or the value damaged); that item has none.
    int decryptFailed = 0;
};
