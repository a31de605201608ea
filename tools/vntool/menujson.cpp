#include "menujson.h"

#include <cstdio>

#include "menudoc/menudocument.h"

using nlohmann::json;

namespace {

const char* const kCommandNames[] = {"",        "Explore",         "MailTo",      "Http",
                                     "FindFiles", "FindComputer",  "Suspend",     "ShutdownWindows",
                                     "MinimizeAll", "UndoMinimizeALL", "FileRun"};
const int kCommandCount = sizeof(kCommandNames) / sizeof(kCommandNames[0]);

struct TextField {
    const char* name;
    std::string CMenuItem::*field;
};
const TextField kTextFields[] = {
    {"caption", &CMenuItem::caption},       {"iconFile", &CMenuItem::iconFile},
    {"note", &CMenuItem::note},             {"keystrokes", &CMenuItem::keystrokes},
    {"target", &CMenuItem::target},         {"parameters", &CMenuItem::parameters},
    {"commandArgument", &CMenuItem::commandArgument},
};

struct FlagField {
    const char* name;
    int CMenuItem::*field;
};
const FlagField kFlagFields[] = {
    {"separator", &CMenuItem::separator},
    {"pressEnter", &CMenuItem::pressEnter},
    {"encipherKeystrokes", &CMenuItem::keysEnciphered},
};

bool ItemToJson(const CMenuItem& item, const CodePage& page, const std::string& where, json& out, int depth,
                std::string& error);

bool ListToJson(const CMenuList& list, const CodePage& page, const std::string& where, json& items, int depth,
                std::string& error)
{
    if (depth > kMaxMenuDepth) {
        error = "the menu is nested deeper than " + std::to_string(kMaxMenuDepth) + " levels";
        return false;
    }
    items = json::array();
    for (const CMenuItem* item : list.items) {
        if (item->isPlaceholder) continue;
        json entry;
        const std::string at = where + "[" + std::to_string(items.size()) + "]";
        if (!ItemToJson(*item, page, at, entry, depth, error)) return false;
        items.push_back(std::move(entry));
    }
    return true;
}

bool ItemToJson(const CMenuItem& item, const CodePage& page, const std::string& where, json& out, int depth,
                std::string& error)
{
    out = json::object();
    for (const TextField& f : kTextFields) {
        if ((item.*f.field).empty()) continue;
        std::string text;
        if (!StoredText(item.*f.field, page, where + "." + f.name, text, error)) return false;
        out[f.name] = std::move(text);
    }
    for (const FlagField& f : kFlagFields)
        if (item.*f.field) out[f.name] = true;
    if (item.shellCommand != kShellNewItem) {
        if (item.shellCommand > 0 && item.shellCommand < kCommandCount)
            out["shellCommand"] = kCommandNames[item.shellCommand];
        else
            out["shellCommand"] = item.shellCommand;
    }
    if (item.hasSubmenu) {
        json submenu = json::array();
        if (item.submenu != nullptr &&
            !ListToJson(*item.submenu, page, where + ".submenu", submenu, depth + 1, error))
            return false;
        out["submenu"] = std::move(submenu);
    }
    return true;
}

bool ReadCommand(const json& value, const std::string& where, unsigned char& command, std::string& error)
{
    if (value.is_number_integer()) {
        const long long n = value.get<long long>();
        if (n < 0 || n > 255) {
            error = where + ": a shell command number must lie between 0 and 255";
            return false;
        }
        command = static_cast<unsigned char>(n);
        return true;
    }
    if (value.is_string()) {
        const std::string name = value.get<std::string>();
        for (int i = 1; i < kCommandCount; ++i) {
            if (name == kCommandNames[i]) {
                command = static_cast<unsigned char>(i);
                return true;
            }
        }
    }
    error = where + ": unknown shell command " + Describe(value) +
            " (Explore, MailTo, Http, FindFiles, FindComputer, Suspend, ShutdownWindows, MinimizeAll, "
            "UndoMinimizeALL, FileRun, or a number)";
    return false;
}

bool ReadItem(const json& entry, CMenuList& list, const CodePage& page, const std::string& where, int depth,
              std::string& error);

bool ReadList(const json& items, CMenuList& list, const CodePage& page, const std::string& where, int depth,
              std::string& error)
{
    if (!items.is_array()) {
        error = where + ": expected an array of items";
        return false;
    }
    if (depth > kMaxMenuDepth) {
        error = where + ": menus nested deeper than " + std::to_string(kMaxMenuDepth) + " levels";
        return false;
    }
    for (std::size_t i = 0; i < items.size(); ++i)
        if (!ReadItem(items[i], list, page, where + "[" + std::to_string(i) + "]", depth, error)) return false;
    return true;
}

bool ReadItem(const json& entry, CMenuList& list, const CodePage& page, const std::string& where, int depth,
              std::string& error)
{
    if (!entry.is_object()) {
        error = where + ": expected an item object";
        return false;
    }
    CMenuItem* item = list.appendNew(0);
    for (auto field = entry.begin(); field != entry.end(); ++field) {
        const std::string& key = field.key();
        const std::string at = where + "." + key;
        bool known = false;
        for (const TextField& f : kTextFields) {
            if (key != f.name) continue;
            known = true;
            if (!JsonText(field.value(), page, at, item->*f.field, error)) return false;
        }
        for (const FlagField& f : kFlagFields) {
            if (key != f.name) continue;
            known = true;
            if (!field.value().is_boolean()) {
                error = at + ": expected true or false";
                return false;
            }
            item->*f.field = field.value().get<bool>() ? 1 : 0;
        }
        if (key == "shellCommand") {
            known = true;
            if (!ReadCommand(field.value(), at, item->shellCommand, error)) return false;
        } else if (key == "submenu") {
            known = true;
            item->hasSubmenu = 1;
            item->submenu = list.document->newMenu(item);
            if (!ReadList(field.value(), *item->submenu, page, at, depth + 1, error)) return false;
        }
        if (!known) {
            error = where + ": unknown field " + ShortQuoted(key);
            return false;
        }
    }
    return true;
}

}  // namespace

bool JsonText(const json& value, const CodePage& page, const std::string& where, std::string& bytes,
              std::string& error)
{
    if (!value.is_string()) {
        error = where + ": expected a string";
        return false;
    }
    std::string problem;
    if (!FromUtf8(page, value.get<std::string>(), bytes, problem)) {
        error = where + ": " + problem;
        return false;
    }
    return true;
}

bool StoredText(const std::string& bytes, const CodePage& page, const std::string& where, std::string& text,
                std::string& error)
{
    std::string problem;
    if (ToUtf8(page, bytes, text, problem)) return true;
    error = where + ": " + problem;
    return false;
}

bool ItemsToJson(const CMenuList& list, const CodePage& page, const std::string& where, json& items,
                 std::string& error)
{
    return ListToJson(list, page, where, items, 1, error);
}

bool JsonToItems(const json& items, CMenuList& list, const CodePage& page, const std::string& where,
                 std::string& error)
{
    return ReadList(items, list, page, where, 1, error);
}

std::string JsonTooDeep(const std::string& text)
{
    int depth = 0;
    std::size_t line = 1, column = 0;
    bool inString = false, escaped = false;
    for (char c : text) {
        ++column;
        if (c == '\n') {
            ++line;
            column = 0;
        }
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxJsonDepth) return "line " + std::to_string(line) + ", column " + std::to_string(column);
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return std::string();
}

std::string ShortQuoted(const std::string& text)
{
    const int kLongest = 40;  // characters
    std::string quoted = "\"";
    int characters = 0;
    for (std::string::size_type i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool continuation = (c & 0xC0) == 0x80;
        if (!continuation && ++characters > kLongest) return quoted + "\"...";
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\r') {
            quoted += "\\r";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", c);
            quoted += escape;
        } else {
            quoted += static_cast<char>(c);
        }
    }
    return quoted + "\"";
}

std::string Describe(const json& value)
{
    if (value.is_string()) return ShortQuoted(value.get<std::string>());
    if (value.is_array()) return "(an array)";
    if (value.is_object()) return "(an object)";
    return value.dump();  // a number, true, false or null: short and flat
}
