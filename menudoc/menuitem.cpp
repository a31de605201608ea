#include "menuitem.h"

#include <cstring>
#include <vector>

#include "accounts/descipher.h"
#include "menudocument.h"
#include "menulist.h"
#include "packetstream.h"

namespace {

enum Flag : unsigned {
    kFlagSeparator = 0x0001,
    kFlagSubmenu = 0x0002,
    kFlagPressEnter = 0x0004,
    kFlagKeysEnciphered = 0x0008,
    kFlagSubmenuEmpty = 0x0010,
};

enum Tag : unsigned char {
    kTagCaption = 1,
    kTagIconFile = 2,
    kTagNote = 3,
    kTagKeystrokes = 4,
    kTagTarget = 5,
    kTagParameters = 6,
    kTagCommandArgument = 7,
};

void AppendField(std::string& out, std::string& scratch, unsigned char tag, const std::string& value)
{
    if (value.empty()) return;
    scratch.assign(1, static_cast<char>(tag));
    scratch += value;
    AppendPacket(out, scratch);
}

}  // namespace

ItemKey::ItemKey(const std::string& text)
{
    for (std::size_t i = 0; i < sizeof(bytes); ++i)
        bytes[i] = i < text.size() ? static_cast<unsigned char>(text[i]) : 0xAB;
}

CMenuItem::CMenuItem(CMenuList* parentList) : parent(parentList)
{
}

CMenuItem::~CMenuItem()
{
    DestroyItemIcon(icon);
}

bool CMenuItem::loadIcon()
{
    DestroyItemIcon(icon);
    icon = LoadItemIcon(iconFile);
    return icon != nullptr;
}

void CMenuItem::copyFields(const CMenuItem& other)
{
    separator = other.separator;
    hasSubmenu = other.hasSubmenu;
    pressEnter = other.pressEnter;
    keysEnciphered = other.keysEnciphered;
    submenuEmpty = other.submenuEmpty;
    caption = other.caption;
    iconFile = other.iconFile;
    note = other.note;
    keystrokes = other.keystrokes;
    target = other.target;
    parameters = other.parameters;
    shellCommand = other.shellCommand;
    commandArgument = other.commandArgument;
    isPlaceholder = other.isPlaceholder;
    id = -1;
    submenu = nullptr;
    bounds = ItemBounds{0, 0, 0, 0};
    loadIcon();
}

void CMenuItem::copyFrom(const CMenuItem& other)
{
    copyFields(other);
    if (other.submenu == nullptr || other.submenu->document == nullptr) return;
    CMenuDocument* document = other.submenu->document;
    submenu = document->newMenu(this);

    // Each new list with the list it copies, filled item by item. A stack,
    // not recursion, so that no depth of tree can exhaust the thread's stack.
    std::vector<std::pair<CMenuList*, const CMenuList*>> pending{{submenu, other.submenu}};
    while (!pending.empty()) {
        CMenuList* list = pending.back().first;
        const CMenuList* from = pending.back().second;
        if (list->items.size() >= from->items.size()) {
            pending.pop_back();
            continue;
        }
        const CMenuItem* source = from->items[list->items.size()];
        CMenuItem* copy = new CMenuItem(list);
        copy->copyFields(*source);
        copy->id = document->registerItem(copy);
        list->items.push_back(copy);
        if (source->submenu != nullptr) {
            copy->submenu = document->newMenu(copy);
            pending.emplace_back(copy->submenu, source->submenu);
        }
    }
}

void CMenuItem::appendRecord(std::string& out, const ItemKey& key) const
{
    unsigned flags = 0;
    if (separator) flags |= kFlagSeparator;
    if (hasSubmenu) {
        flags |= kFlagSubmenu;
        // Without real items no submenu body follows; the reader must know.
        if (submenu == nullptr || submenu->allPlaceholders()) flags |= kFlagSubmenuEmpty;
    }
    if (pressEnter) flags |= kFlagPressEnter;
    if (keysEnciphered) flags |= kFlagKeysEnciphered;
    out += static_cast<char>(flags & 0xFF);
    out += static_cast<char>(flags >> 8);
    out += static_cast<char>(shellCommand);

    std::string scratch;
    AppendField(out, scratch, kTagCaption, caption);
    AppendField(out, scratch, kTagIconFile, iconFile);
    AppendField(out, scratch, kTagNote, note);
    if (keysEnciphered && !keystrokes.empty()) {
        CDesCipher cipher;
        AppendField(out, scratch, kTagKeystrokes, cipher.encipherPaddedString(key.bytes, keystrokes));
    } else {
        AppendField(out, scratch, kTagKeystrokes, keystrokes);
    }
    AppendField(out, scratch, kTagTarget, target);
    AppendField(out, scratch, kTagParameters, parameters);
    AppendField(out, scratch, kTagCommandArgument, commandArgument);
}

std::string CMenuItem::toRecord(const ItemKey& key) const
{
    std::string record;
    appendRecord(record, key);
    return record;
}

RecordStatus CMenuItem::fromRecord(const std::string& record, const ItemKey& key)
{
    if (record.size() < 3) return RecordStatus::TooShort;

    const unsigned flags = static_cast<unsigned char>(record[0]) | (static_cast<unsigned char>(record[1]) << 8);
    if (flags & kFlagSeparator) separator = 1;
    if (flags & kFlagSubmenu) hasSubmenu = 1;
    if (flags & kFlagPressEnter) pressEnter = 1;
    if (flags & kFlagKeysEnciphered) keysEnciphered = 1;
    if (flags & kFlagSubmenuEmpty) submenuEmpty = 1;
    shellCommand = static_cast<unsigned char>(record[2]);

    RecordStatus status = RecordStatus::Read;
    std::size_t position = 3;
    std::string field;
    while (position < record.size()) {
        const std::size_t before = position;
        if (TakePacket(record, position, field) != 1) {
            // An empty packet is skipped; anything else ends the fields.
            if (position == before) break;
            continue;
        }
        const unsigned char tag = static_cast<unsigned char>(field[0]);
        field.erase(0, 1);
        switch (tag) {
        case kTagCaption: caption.swap(field); break;
        case kTagIconFile:
            iconFile.swap(field);
            loadIcon();
            break;
        case kTagNote: note.swap(field); break;
        case kTagKeystrokes:
            if (keysEnciphered) {
                CDesCipher cipher;
                // The writer always gives whole blocks; anything else is damage.
                if (field.size() % 8 != 0 || cipher.decipherPaddedString(key.bytes, field, keystrokes) != 1) {
                    keystrokes.clear();
                    status = RecordStatus::KeysUndeciphered;
                }
            } else {
                keystrokes.swap(field);
            }
            break;
        case kTagTarget: target.swap(field); break;
        case kTagParameters: parameters.swap(field); break;
        case kTagCommandArgument: commandArgument.swap(field); break;
        default: break;
        }
    }
    return status;
}
