#include "buildinput.h"

#include <algorithm>
#include <cctype>

#include <nlohmann/json.hpp>

#include "menudoc/menudocument.h"
#include "menujson.h"

using nlohmann::json;

namespace {

bool ReadUsers(const json& users, const CodePage& page, const std::string& where, std::vector<CUserEntry>& out,
               std::string& error)
{
    if (!users.is_array() || users.empty()) {
        error = where + ": expected a non-empty array of users";
        return false;
    }
    for (std::size_t i = 0; i < users.size(); ++i) {
        const std::string at = where + "[" + std::to_string(i) + "]";
        const json& entry = users[i];
        if (!entry.is_object()) {
            error = at + ": expected a user object";
            return false;
        }
        CUserEntry user;
        for (auto field = entry.begin(); field != entry.end(); ++field) {
            const std::string& key = field.key();
            std::string* target = key == "name" ? &user.userName
                                  : key == "password" ? &user.password
                                  : key == "rights" ? &user.rights
                                                    : nullptr;
            if (target == nullptr) {
                error = at + ": unknown field " + ShortQuoted(key);
                return false;
            }
            if (!JsonText(field.value(), page, at + "." + key, *target, error)) return false;
        }
        if (user.userName.empty()) {
            error = at + ": a user needs a name";
            return false;
        }
        if (user.rights != "r" && user.rights != "rw") {
            error = at + ": rights must be \"r\" or \"rw\"";
            return false;
        }
        out.push_back(user);
    }
    return true;
}

// Reads and checks the whole description before the output is touched.
bool ReadDescription(const json& root, const CodePage& page, std::vector<MenuSpec>& menus, std::string& error)
{
    if (!root.is_object()) {
        error = "expected an object with \"menus\"";
        return false;
    }
    std::string fileKey;
    for (auto field = root.begin(); field != root.end(); ++field) {
        if (field.key() == "itemKey") {
            if (!JsonText(field.value(), page, "itemKey", fileKey, error)) return false;
        } else if (field.key() != "menus") {
            error = "unknown field " + ShortQuoted(field.key());
            return false;
        }
    }
    if (!root.contains("menus") || !root["menus"].is_array() || root["menus"].empty()) {
        error = "\"menus\" must be a non-empty array";
        return false;
    }
    const json& list = root["menus"];
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string where = "menus[" + std::to_string(i) + "]";
        const json& entry = list[i];
        if (!entry.is_object()) {
            error = where + ": expected a menu object";
            return false;
        }
        MenuSpec menu;
        std::string key = fileKey;
        const json* items = nullptr;
        for (auto field = entry.begin(); field != entry.end(); ++field) {
            const std::string& name = field.key();
            if (name == "name") {
                if (!JsonText(field.value(), page, where + ".name", menu.name, error)) return false;
                menu.shownName = field.value().get<std::string>();
            } else if (name == "itemKey") {
                if (!JsonText(field.value(), page, where + ".itemKey", key, error)) return false;
            } else if (name == "users") {
                if (!ReadUsers(field.value(), page, where + ".users", menu.users, error)) return false;
            } else if (name == "items") {
                items = &field.value();
            } else {
                error = where + ": unknown field " + ShortQuoted(name);
                return false;
            }
        }
        if (menu.name.empty()) {
            error = where + ": a menu needs a name";
            return false;
        }
        // Compared as written, not as stored: in a double-byte code page
        // the second byte of a character may look like a Latin letter.
        for (const MenuSpec& other : menus) {
            if (other.shownName.size() == menu.shownName.size() &&
                std::equal(other.shownName.begin(), other.shownName.end(), menu.shownName.begin(),
                           [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                       std::tolower(static_cast<unsigned char>(b)); })) {
                error = where + ": a menu named " + ShortQuoted(menu.shownName) + " comes before (names ignore case)";
                return false;
            }
        }
        if (menu.users.empty()) {
            menu.users = {CUserEntry("admin", "", "rw"), CUserEntry("guest", "", "r")};
        }
        CMenuDocument doc;
        CMenuList* rootList = doc.newMenu(nullptr);
        rootList->isRoot = 1;
        if (items != nullptr && !JsonToItems(*items, *rootList, page, where + ".items", error)) return false;
        menu.body = rootList->toBody(ItemKey(key));
        doc.deleteMenu(rootList);
        menus.push_back(menu);
    }
    return true;
}

}  // namespace

bool ReadBuildInput(const std::string& text, const CodePage& page, std::vector<MenuSpec>& menus, std::string& error)
{
    const std::string deep = JsonTooDeep(text);
    if (!deep.empty()) {
        error = "nested deeper than " + std::to_string(kMaxJsonDepth) + " levels at " + deep;
        return false;
    }
    json root;
    try {
        root = json::parse(text);
    } catch (const json::exception& e) {
        // A syntax error, or a number too large for any type the library
        // holds: either is the text's fault. The library's message names
        // the place or the number, quoting the text however long; only its
        // start is kept, without the library's error id.
        std::string what = e.what();
        const auto colon = what.find("parse error");
        const auto id = what.find("] ");
        if (colon != std::string::npos)
            what.erase(0, colon);
        else if (id != std::string::npos)
            what.erase(0, id + 2);
        const std::string::size_type kLongest = 200;
        if (what.size() > kLongest) {
            std::string::size_type cut = kLongest;
            while (cut > 0 && (static_cast<unsigned char>(what[cut]) & 0xC0) == 0x80) --cut;
            what = what.substr(0, cut) + "...";
        }
        error = "malformed JSON: " + what;
        return false;
    }
    return ReadDescription(root, page, menus, error);
}
