// vntool: lists, dumps, builds, checks menu files and changes passwords in
// them, for people who prepare and deploy menus. Exit status: 0 done,
// 1 refused or not sound, 2 wrong usage.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "accounts/accountfile.h"
#include "codepage.h"
#include "menudoc/menudocument.h"
#include "menujson.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

using nlohmann::json;

namespace {

enum Exit { kDone = 0, kRefused = 1, kUsage = 2 };

const char kUsageText[] =
    "usage: vntool list FILE\n"
    "       vntool dump FILE --menu M --user U --password P [--key K]\n"
    "       vntool build JSON OUT\n"
    "       vntool passwd FILE --menu M --user U --password P --new-password Q\n"
    "       vntool check FILE\n";

int Usage(const std::string& problem)
{
    std::cerr << "vntool: " << problem << "\n" << kUsageText;
    return kUsage;
}

int Refuse(const std::string& reason)
{
    std::cerr << "vntool: " << reason << "\n";
    return kRefused;
}

// Menu files are resolved against the program's folder first; the tool
// means the path as typed, so it passes a full path.
std::string FullPath(const std::string& path)
{
#ifdef _WIN32
    char full[MAX_PATH];
    const DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return n > 0 && n < MAX_PATH ? std::string(full, n) : path;
#else
    if (!path.empty() && path[0] == '/') return path;
    char folder[4096];
    if (getcwd(folder, sizeof folder) == nullptr) return path;
    return std::string(folder) + "/" + path;
#endif
}

// Why a file cannot be read, or empty when it can.
std::string Unreadable(const std::string& path, std::string* content = nullptr)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return "cannot read " + path + ": " + std::strerror(errno);
    if (content != nullptr) content->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) return "cannot read " + path;
    return std::string();
}

// Opens the account file with a reason when it fails.
bool LoadAccounts(CAccountFile& file, const std::string& path, std::string& error)
{
    std::string content;
    error = Unreadable(path, &content);
    if (!error.empty()) return false;
    if (!file.load(FullPath(path))) {
        error = path + " is not a menu file, or it is damaged (its records do not read back)";
        return false;
    }
    return true;
}

// The options after the positional arguments: --name value pairs.
bool ParseOptions(int argc, char** argv, int first, const std::set<std::string>& allowed,
                  std::map<std::string, std::string>& options, std::string& error)
{
    for (int i = first; i < argc; i += 2) {
        const std::string name = argv[i];
        if (allowed.count(name) == 0) {
            error = "unknown option " + name;
            return false;
        }
        if (i + 1 >= argc) {
            error = "option " + name + " needs a value";
            return false;
        }
        options[name] = argv[i + 1];
    }
    return true;
}

bool Require(const std::map<std::string, std::string>& options, std::initializer_list<const char*> names,
             std::string& error)
{
    for (const char* name : names) {
        if (options.count(name) == 0) {
            error = std::string("missing option ") + name;
            return false;
        }
    }
    return true;
}

// Selects the menu as that user, with the reason when it cannot.
bool SelectMenu(CAccountFile& file, const std::string& menu, const std::string& user,
                const std::string& password, std::string& error)
{
    if (file.select(menu, user, password)) return true;
    for (int i = 0; i < file.recordCount(); ++i) {
        if (file.recordAt(i)->menuName == menu) {
            error = "wrong user name or password for menu \"" + menu + "\"";
            return false;
        }
    }
    error = "no menu named \"" + menu + "\"";
    return false;
}

int List(const std::string& path)
{
    CAccountFile file;
    std::string error;
    if (!LoadAccounts(file, path, error)) return Refuse(error);
    for (int i = 0; i < file.recordCount(); ++i) {
        const CAccountRecord* record = file.recordAt(i);
        std::cout << Cp1252ToUtf8(record->menuName) << "\n";
        for (const CUserEntry& user : record->users)
            std::cout << "  " << Cp1252ToUtf8(user.userName) << " " << user.rights << "\n";
    }
    return kDone;
}

int Dump(const std::string& path, const std::map<std::string, std::string>& options)
{
    std::string menu, user, password, key, error;
    if (!Utf8ToCp1252(options.at("--menu"), menu) || !Utf8ToCp1252(options.at("--user"), user) ||
        !Utf8ToCp1252(options.at("--password"), password) ||
        !Utf8ToCp1252(options.count("--key") ? options.at("--key") : std::string(), key))
        return Refuse("an argument holds a character that Windows-1252 cannot store");

    CMenuDocument doc;
    if (!LoadAccounts(doc.accountFile, path, error) || !SelectMenu(doc.accountFile, menu, user, password, error))
        return Refuse(error);
    const bool read = doc.parse(doc.accountFile.currentRecord()->body(), ItemKey(key));
    doc.close();
    if (!read) return Refuse("the menu \"" + options.at("--menu") + "\" in " + path + " is damaged");
    if (doc.decryptFailed)
        return Refuse("the item key does not decipher the menu's enciphered keystrokes (wrong --key?)");

    json items;
    if (!ItemsToJson(*doc.rootMenu, items, error)) return Refuse(error);
    json out = json::object();
    out["name"] = options.at("--menu");
    out["items"] = std::move(items);
    std::cout << out.dump(2) << "\n";
    return kDone;
}

struct MenuSpec {
    std::string name;
    std::vector<CUserEntry> users;
    std::string body;
};

bool ReadUsers(const json& users, const std::string& where, std::vector<CUserEntry>& out, std::string& error)
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
                error = at + ": unknown field \"" + key + "\"";
                return false;
            }
            if (!JsonText(field.value(), at + "." + key, *target, error)) return false;
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
bool ReadDescription(const json& root, std::vector<MenuSpec>& menus, std::string& error)
{
    if (!root.is_object()) {
        error = "expected an object with \"menus\"";
        return false;
    }
    std::string fileKey;
    for (auto field = root.begin(); field != root.end(); ++field) {
        if (field.key() == "itemKey") {
            if (!JsonText(field.value(), "itemKey", fileKey, error)) return false;
        } else if (field.key() != "menus") {
            error = "unknown field \"" + field.key() + "\"";
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
                if (!JsonText(field.value(), where + ".name", menu.name, error)) return false;
            } else if (name == "itemKey") {
                if (!JsonText(field.value(), where + ".itemKey", key, error)) return false;
            } else if (name == "users") {
                if (!ReadUsers(field.value(), where + ".users", menu.users, error)) return false;
            } else if (name == "items") {
                items = &field.value();
            } else {
                error = where + ": unknown field \"" + name + "\"";
                return false;
            }
        }
        if (menu.name.empty()) {
            error = where + ": a menu needs a name";
            return false;
        }
        for (const MenuSpec& other : menus) {
            if (other.name.size() == menu.name.size() &&
                std::equal(other.name.begin(), other.name.end(), menu.name.begin(),
                           [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                       std::tolower(static_cast<unsigned char>(b)); })) {
                error = where + ": a menu named \"" + Cp1252ToUtf8(menu.name) + "\" comes before (names ignore case)";
                return false;
            }
        }
        if (menu.users.empty()) {
            menu.users = {CUserEntry("admin", "", "rw"), CUserEntry("guest", "", "r")};
        }
        CMenuDocument doc;
        CMenuList* rootList = doc.newMenu(nullptr);
        rootList->isRoot = 1;
        if (items != nullptr && !JsonToItems(*items, *rootList, where + ".items", error)) return false;
        menu.body = rootList->toBody(ItemKey(key));
        doc.deleteMenu(rootList);
        menus.push_back(menu);
    }
    return true;
}

int Build(const std::string& source, const std::string& target)
{
    std::string text;
    std::string error = Unreadable(source, &text);
    if (!error.empty()) return Refuse(error);
    json root;
    try {
        root = json::parse(text);
    } catch (const json::parse_error& e) {
        // The library's message names the line and column.
        std::string what = e.what();
        const auto colon = what.find("parse error");
        return Refuse(source + ": malformed JSON: " + (colon == std::string::npos ? what : what.substr(colon)));
    }
    std::vector<MenuSpec> menus;
    if (!ReadDescription(root, menus, error)) return Refuse(source + ": " + error);

    // An existing menu file is replaced by the atomic save; anything else
    // at that path is created afresh.
    CAccountFile file;
    const std::string path = FullPath(target);
    if (file.load(path)) {
        while (file.recordCount() > 0) file.deleteRecord(file.recordAt(0)->menuName);
    } else if (!file.create(path, menus[0].name)) {
        return Refuse("cannot write " + target);
    } else {
        file.deleteRecord(menus[0].name);
    }
    for (const MenuSpec& menu : menus) {
        file.addRecord(menu.name, menu.body);
        CAccountRecord* record = file.currentRecord();
        record->users.assign(menu.users.begin(), menu.users.end());
    }
    if (!file.save()) return Refuse("cannot write " + target);
    file.close();
    return kDone;
}

int Passwd(const std::string& path, const std::map<std::string, std::string>& options)
{
    std::string menu, user, password, newPassword, error;
    if (!Utf8ToCp1252(options.at("--menu"), menu) || !Utf8ToCp1252(options.at("--user"), user) ||
        !Utf8ToCp1252(options.at("--password"), password) ||
        !Utf8ToCp1252(options.at("--new-password"), newPassword))
        return Refuse("an argument holds a character that Windows-1252 cannot store");

    CAccountFile file;
    if (!LoadAccounts(file, path, error) || !SelectMenu(file, menu, user, password, error)) return Refuse(error);
    file.currentUser()->password = newPassword;
    if (!file.save()) return Refuse("cannot write " + path + "; it is unchanged");
    file.close();
    return kDone;
}

// Reading a menu file skips bytes outside its records without a word;
// the check does not: every byte must belong to a record packet.
std::string FramingFault(const std::string& content)
{
    const char start[2] = {'\xFF', '\xFD'};
    const char end[2] = {'\xFF', '\xFE'};
    for (std::string::size_type at = 0; at < content.size();) {
        if (content.compare(at, 2, start, 2) != 0)
            return "stray bytes at offset " + std::to_string(at) + ", where a record should begin";
        const auto close = content.find(end, at + 2, 2);
        if (close == std::string::npos) return "the record at offset " + std::to_string(at) + " is cut short";
        at = close + 2;
    }
    return std::string();
}

int Check(const std::string& path)
{
    CAccountFile file;
    std::string content;
    std::string error = Unreadable(path, &content);
    if (error.empty()) error = FramingFault(content);
    if (!error.empty()) {
        std::cout << "not sound: " << error << "\n";
        return kRefused;
    }
    if (!LoadAccounts(file, path, error)) {
        std::cout << "not sound: " << error << "\n";
        return kRefused;
    }
    if (file.recordCount() == 0) {
        std::cout << "not sound: " << path << " holds no menu\n";
        return kRefused;
    }
    std::size_t users = 0, items = 0;
    std::set<std::string> names;
    for (int i = 0; i < file.recordCount(); ++i) {
        const CAccountRecord* record = file.recordAt(i);
        const std::string name = Cp1252ToUtf8(record->menuName);
        if (!names.insert(record->menuName).second) {
            std::cout << "not sound: the menu \"" << name << "\" is there twice; only the first can be opened\n";
            return kRefused;
        }
        CMenuDocument doc;
        if (!doc.parse(record->body(), ItemKey())) {
            std::cout << "not sound: the menu \"" << name << "\" is damaged (its tree does not read back)\n";
            return kRefused;
        }
        users += record->users.size();
        items += doc.itemsById.size();
    }
    std::cout << "sound: " << file.recordCount() << (file.recordCount() == 1 ? " menu, " : " menus, ") << users
              << (users == 1 ? " user, " : " users, ") << items << (items == 1 ? " item\n" : " items\n");
    return kDone;
}

}  // namespace

int Run(int argc, char** argv)
{
    if (argc < 2) return Usage("no command given");
    const std::string command = argv[1];
    std::map<std::string, std::string> options;
    std::string error;

    if (command == "list" || command == "check") {
        if (argc != 3) return Usage(command + " takes one FILE");
        return command == "list" ? List(argv[2]) : Check(argv[2]);
    }
    if (command == "build") {
        if (argc != 4) return Usage("build takes JSON and OUT");
        return Build(argv[2], argv[3]);
    }
    if (command == "dump") {
        if (argc < 3) return Usage("dump needs a FILE");
        if (!ParseOptions(argc, argv, 3, {"--menu", "--user", "--password", "--key"}, options, error) ||
            !Require(options, {"--menu", "--user", "--password"}, error))
            return Usage(error);
        return Dump(argv[2], options);
    }
    if (command == "passwd") {
        if (argc < 3) return Usage("passwd needs a FILE");
        if (!ParseOptions(argc, argv, 3, {"--menu", "--user", "--password", "--new-password"}, options, error) ||
            !Require(options, {"--menu", "--user", "--password", "--new-password"}, error))
            return Usage(error);
        return Passwd(argv[2], options);
    }
    if (command == "-h" || command == "--help" || command == "help") {
        std::cout << kUsageText;
        return kDone;
    }
    return Usage("unknown command " + command);
}

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        return Refuse(std::string("failed: ") + e.what());
    }
}
