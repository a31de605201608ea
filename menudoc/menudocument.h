// A whole menu tree: its lists, the ids of its items, and the menu file
// (account file) it was read from and is saved to.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <string>

#include "accounts/accountfile.h"
#include "menulist.h"

enum class SaveOutcome { Saved, Failed, Conflict };

// Why the last load failed, so that a caller can tell the user.
enum class LoadFailure {
    None,
    FileUnreadable,  // the file could not be opened or is not a menu file
    NoMatch,         // no menu of that name, or the user and password do not match
    BadBody,         // the menu's items could not all be read
};

class CMenuDocument {
public:
    using SaveOutcome = ::SaveOutcome;

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
    // Saves like save() unless the menu's record in the file changed since this
    // document last loaded or saved it (another writer saved meanwhile): then
    // nothing is written and the answer is Conflict. `overwrite` saves regardless.
    // Only the menu's body counts: other menus of the file and the users
    // of this one may have changed. A document that never loaded or saved
    // this menu of this file has nothing to compare with: Conflict. The
    // check and the write are one hold of the file, so no other writer
    // falls in between.
    SaveOutcome saveChecked(const std::string& path, const std::string& menuName, const std::string& userName,
                            const std::string& password, const ItemKey& itemKey, bool overwrite);
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
    // Set by load.
    LoadFailure loadFailure = LoadFailure::None;

private:
    SaveOutcome saveHeld(const std::string& path, const std::string& menuName, const std::string& userName,
                         const std::string& password, const ItemKey& itemKey, bool check);
    // Notes the menu's body as it now stands in the file.
    void rememberStored(const std::string& menuName, const std::string& body);

    // The menu (file as resolved, record name) last loaded or saved, and a
    // digest of its body as it stood in the file then; `m_stored` is false
    // when there is none.
    bool m_stored = false;
    std::string m_storedPath;
    std::string m_storedMenu;
    std::uint64_t m_storedDigest = 0;
    std::string::size_type m_storedLength = 0;
};
