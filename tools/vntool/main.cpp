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
#include "buildinput.h"
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
    "usage: vntool list FILE [--codepage N]\n"
    "       vntool dump FILE --menu M --user U --password P [--key K] [--codepage N]\n"
    "       vntool build JSON OUT [--codepage N]\n"
    "       vntool passwd FILE --menu M --user U --password P --new-password Q [--codepage N]\n"
    "       vntool check FILE\n"
    "texts are stored in code page N: 1252 (the default), 936 or 950\n";

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

// Loads the account file, held for a save when `forUpdate`, with a reason
// when it fails. With `content`, it receives the bytes the load read, which
// another process's save can never have left half written.
bool LoadAccounts(CAccountFile& file, const std::string& path, std::string& error, bool forUpdate = false,
                  std::string* content = nullptr)
{
    error = Unreadable(path);
    if (!error.empty()) return false;
    if (!(forUpdate ? file.loadForUpdate(FullPath(path)) : file.load(FullPath(path), content))) {
        // A save elsewhere holds the file only briefly; one that outlasts
        // the wait is not damage.
        error = file.wasBusy()
                    ? "cannot open " + path + ": another program kept it open for more than 2 seconds; try again"
                    : path + " is not a menu file, or it is damaged (its records do not read back)";
        return false;
    }
    return true;
}

// A word of the command line for a message: as typed when it is a short
// plain word, else quoted and cut short.
std::string Word(const std::string& word)
{
    const bool plain = word.size() <= 40 && std::all_of(word.begin(), word.end(), [](char c) {
                           return c > ' ' && c < 0x7F && c != '"';
                       });
    return plain ? word : ShortQuoted(word);
}

// The options after the positional arguments: --name value pairs, the
// values taken from `texts` (UTF-8).
bool ParseOptions(const std::vector<std::string>& texts, std::size_t first, const std::set<std::string>& allowed,
                  std::map<std::string, std::string>& options, std::string& error)
{
    for (std::size_t i = first; i < texts.size(); i += 2) {
        const std::string& name = texts[i];
        if (allowed.count(name) == 0) {
            error = "unknown option " + Word(name);
            return false;
        }
        if (i + 1 >= texts.size()) {
            error = "option " + name + " needs a value";
            return false;
        }
        options[name] = texts[i + 1];
    }
    return true;
}

// The code page of --codepage, the default when it is not given.
bool ChosenCodePage(const std::map<std::string, std::string>& options, const CodePage*& page, std::string& error)
{
    const auto given = options.find("--codepage");
    page = given == options.end() ? &DefaultCodePage() : FindCodePage(given->second);
    if (page != nullptr) return true;
    error = "unknown code page " + ShortQuoted(given->second) + " (" + KnownCodePages() + ")";
    return false;
}

// The command-line arguments as the bytes a menu file stores; false with
// `error` naming the first that the code page cannot carry.
bool ArgumentTexts(const std::map<std::string, std::string>& options, const CodePage& page,
                   std::initializer_list<std::pair<const char*, std::string*>> wanted, std::string& error)
{
    for (const auto& entry : wanted) {
        const auto given = options.find(entry.first);
        std::string problem;
        if (!FromUtf8(page, given == options.end() ? std::string() : given->second, *entry.second, problem)) {
            error = std::string(entry.first) + ": " + problem;
            return false;
        }
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
bool SelectMenu(CAccountFile& file, const std::string& menu, const std::string& shown, const std::string& user,
                const std::string& password, std::string& error)
{
    if (file.select(menu, user, password)) return true;
    for (int i = 0; i < file.recordCount(); ++i) {
        if (file.recordAt(i)->menuName == menu) {
            error = "wrong user name or password for menu " + ShortQuoted(shown);
            return false;
        }
    }
    error = "no menu named " + ShortQuoted(shown);
    return false;
}

int List(const std::string& path, const CodePage& page)
{
    CAccountFile file;
    std::string error;
    if (!LoadAccounts(file, path, error)) return Refuse(error);
    // Every name is read before anything is printed, so that a refusal
    // prints nothing else.
    std::string listing;
    for (int i = 0; i < file.recordCount(); ++i) {
        const CAccountRecord* record = file.recordAt(i);
        const std::string where = "menus[" + std::to_string(i) + "]";
        std::string text;
        if (!StoredText(record->menuName, page, where + ".name", text, error)) return Refuse(path + ": " + error);
        listing += text + "\n";
        int u = 0;
        for (const CUserEntry& user : record->users) {
            const std::string at = where + ".users[" + std::to_string(u++) + "]";
            if (!StoredText(user.userName, page, at + ".name", text, error)) return Refuse(path + ": " + error);
            listing += "  " + text + " " + user.rights + "\n";
        }
    }
    std::cout << listing;
    return kDone;
}

int Dump(const std::string& path, const std::map<std::string, std::string>& options, const CodePage& page)
{
    std::string menu, user, password, key, error;
    if (!ArgumentTexts(options, page, {{"--menu", &menu}, {"--user", &user}, {"--password", &password}, {"--key", &key}},
                       error))
        return Refuse(error);
    const std::string& shown = options.at("--menu");

    CMenuDocument doc;
    if (!LoadAccounts(doc.accountFile, path, error) ||
        !SelectMenu(doc.accountFile, menu, shown, user, password, error))
        return Refuse(error);
    const bool read = doc.parse(doc.accountFile.currentRecord()->body(), ItemKey(key));
    doc.close();
    if (!read) return Refuse("the menu " + ShortQuoted(shown) + " in " + path + " is damaged");
    if (doc.decryptFailed)
        return Refuse("the item key does not decipher the menu's enciphered keystrokes (wrong --key?)");

    json items;
    if (!ItemsToJson(*doc.rootMenu, page, "items", items, error)) return Refuse(error);
    json out = json::object();
    out["name"] = shown;
    out["items"] = std::move(items);
    std::cout << out.dump(2) << "\n";
    return kDone;
}

int Build(const std::string& source, const std::string& target, const CodePage& page)
{
    std::string text;
    std::string error = Unreadable(source, &text);
    if (!error.empty()) return Refuse(error);
    std::vector<MenuSpec> menus;
    if (!ReadBuildInput(text, page, menus, error)) return Refuse(source + ": " + error);

    // An existing menu file is held and rewritten by the save, which never
    // leaves it half written; anything else at that path is created afresh.
    CAccountFile file;
    const std::string path = FullPath(target);
    if (file.loadForUpdate(path)) {
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

int Passwd(const std::string& path, const std::map<std::string, std::string>& options, const CodePage& page)
{
    std::string menu, user, password, newPassword, error;
    if (!ArgumentTexts(options, page,
                       {{"--menu", &menu}, {"--user", &user}, {"--password", &password}, {"--new-password", &newPassword}},
                       error))
        return Refuse(error);

    CAccountFile file;
    if (!LoadAccounts(file, path, error, true) || !SelectMenu(file, menu, options.at("--menu"), user, password, error))
        return Refuse(error);
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
    // The framing is checked on the bytes the load read: reading the file
    // apart from it could meet another process's save half done.
    std::string error;
    if (!LoadAccounts(file, path, error, false, &content)) {
        if (file.wasBusy()) {
            std::cout << error << "\n";
            return kRefused;
        }
        // What the load refused is told as precisely as the bytes allow.
        std::string raw;
        if (Unreadable(path, &raw).empty() && !FramingFault(raw).empty()) error = FramingFault(raw);
        std::cout << "not sound: " << error << "\n";
        return kRefused;
    }
    error = FramingFault(content);
    if (!error.empty()) {
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
        std::string name, unused;
        ToUtf8(DefaultCodePage(), record->menuName, name, unused);  // 1252 reads any bytes
        name = ShortQuoted(name);
        if (!names.insert(record->menuName).second) {
            std::cout << "not sound: the menu " << name << " is there twice; only the first can be opened\n";
            return kRefused;
        }
        CMenuDocument doc;
        if (!doc.parse(record->body(), ItemKey())) {
            std::cout << "not sound: the menu " << name << " is damaged (its tree does not read back)\n";
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

// `paths` are the arguments as file calls take them, `texts` the same
// arguments in UTF-8 (they differ on Windows only).
int Run(const std::vector<std::string>& paths, const std::vector<std::string>& texts)
{
    if (paths.size() < 2) return Usage("no command given");
    const std::string command = paths[1];
    std::map<std::string, std::string> options;
    const CodePage* page = nullptr;
    std::string error;

    if (command == "check") {
        if (paths.size() != 3) return Usage("check takes one FILE");
        return Check(paths[2]);
    }
    if (command == "list") {
        if (paths.size() < 3 || paths[2].compare(0, 2, "--") == 0) return Usage("list takes one FILE");
        if (!ParseOptions(texts, 3, {"--codepage"}, options, error) || !ChosenCodePage(options, page, error))
            return Usage(error);
        return List(paths[2], *page);
    }
    if (command == "build") {
        if (paths.size() < 4 || paths[2].compare(0, 2, "--") == 0 || paths[3].compare(0, 2, "--") == 0)
            return Usage("build takes JSON and OUT");
        if (!ParseOptions(texts, 4, {"--codepage"}, options, error) || !ChosenCodePage(options, page, error))
            return Usage(error);
        return Build(paths[2], paths[3], *page);
    }
    if (command == "dump") {
        if (paths.size() < 3) return Usage("dump needs a FILE");
        if (!ParseOptions(texts, 3, {"--menu", "--user", "--password", "--key", "--codepage"}, options, error) ||
            !Require(options, {"--menu", "--user", "--password"}, error) || !ChosenCodePage(options, page, error))
            return Usage(error);
        return Dump(paths[2], options, *page);
    }
    if (command == "passwd") {
        if (paths.size() < 3) return Usage("passwd needs a FILE");
        if (!ParseOptions(texts, 3, {"--menu", "--user", "--password", "--new-password", "--codepage"}, options,
                          error) ||
            !Require(options, {"--menu", "--user", "--password", "--new-password"}, error) ||
            !ChosenCodePage(options, page, error))
            return Usage(error);
        return Passwd(paths[2], options, *page);
    }
    if (command == "-h" || command == "--help" || command == "help") {
        std::cout << kUsageText;
        return kDone;
    }
    return Usage("unknown command " + Word(command));
}

int main(int argc, char** argv)
{
    try {
        std::vector<std::string> paths, texts;
        if (!CommandLineArguments(argc, argv, paths, texts)) return Refuse("cannot read the command line");
        return Run(paths, texts);
    } catch (const std::exception& e) {
        return Refuse(std::string("failed: ") + e.what());
    }
}
