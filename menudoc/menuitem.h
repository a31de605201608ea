// One entry of a menu tree: its flags, texts, shell command and the submenu
// it opens. Items live in a CMenuList; the document hands out their ids.
#pragma once

#include <string>

#include "itemicon.h"

class CMenuList;
class CMenuDocument;

// The item's rectangle inside the window that shows its menu.
#ifdef _WIN32
typedef RECT ItemBounds;
#else
struct ItemBounds {
    long left;
    long top;
    long right;
    long bottom;
};
#endif

// The 8-byte key of enciphered keystrokes, made from the login's key text:
// a shorter text is filled up with AB bytes, a longer one is cut after 8.
struct ItemKey {
    ItemKey(const std::string& text = std::string());
    ItemKey(const char* text) : ItemKey(std::string(text != nullptr ? text : "")) {}
    unsigned char bytes[8];
};

// What reading an item record gave.
enum class RecordStatus {
    Read,
    TooShort,          // fewer than 3 bytes: not an item
    KeysUndeciphered,  // read, but the keystrokes did not decipher with the key
};

// Values of `shellCommand`; 160 to 255 mean none as well.
enum ShellCommand : unsigned char {
    kShellNone = 0,
    kShellExplore = 1,
    kShellMailTo = 2,
    kShellHttp = 3,
    kShellFindFiles = 4,
    kShellFindComputer = 5,
    kShellSuspend = 6,
    kShellShutdownWindows = 7,
    kShellMinimizeAll = 8,
    kShellUndoMinimizeAll = 9,
    kShellFileRun = 10,
    kShellNewItem = 160,
    kShellChosenEmpty = 170,
};

class CMenuItem {
public:
    explicit CMenuItem(CMenuList* parent = nullptr);
    virtual ~CMenuItem();
    CMenuItem(const CMenuItem&) = delete;
    CMenuItem& operator=(const CMenuItem&) = delete;

    // Replaces the icon with the one in `iconFile`; false when none loaded.
    bool loadIcon();
    // Copies the flags, texts and command, and deep-copies the submenu into
    // new lists of the same document; the copy is left unregistered.
    void copyFrom(const CMenuItem& other);

    // The item record of the file form; `appendRecord` appends it to `out`.
    // Keystrokes marked enciphered are enciphered with `key`.
    std::string toRecord(const ItemKey& key) const;
    void appendRecord(std::string& out, const ItemKey& key) const;
    // Sets the flags the record has (never clears one) and its fields.
    // Keystrokes that do not decipher with `key` are left empty.
    RecordStatus fromRecord(const std::string& record, const ItemKey& key);

    int separator = 0;
    int hasSubmenu = 0;
    int pressEnter = 0;
    int keysEnciphered = 0;
    // Set only by reading: the submenu held no real item when written, so
    // none followed in the file.
    int submenuEmpty = 0;
    std::string caption;
    std::string iconFile;
    std::string note;
    std::string keystrokes;
    std::string target;
    std::string parameters;
    unsigned char shellCommand = kShellNewItem;
    std::string commandArgument;
    // Not owned: created and deleted through the document.
    CMenuList* submenu = nullptr;
    // The designer's empty new-item slot; never written to a file.
    int isPlaceholder = 1;
    ItemIcon icon = nullptr;
    ItemBounds bounds = {0, 0, 0, 0};
    CMenuList* parent;
    int id = -1;

private:
    // copyFrom without the submenu.
    void copyFields(const CMenuItem& other);
};
