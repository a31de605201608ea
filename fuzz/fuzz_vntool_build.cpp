// The input of `vntool build`: any bytes as a JSON description, in one of
// the three code pages (by the input's length, so that every page meets
// every kind of input). A description that is accepted gives a menu file
// that reads back with the same menus and users, whose every menu dumps
// and builds again to the same body.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "accounts/accountfile.h"
#include "menudoc/menudocument.h"
#include "tools/vntool/buildinput.h"
#include "tools/vntool/codepage.h"
#include "tools/vntool/menujson.h"

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

// Dumping the body and building it again gives the same body. Enciphered
// keystrokes are read with the key descriptions mostly have (none); a body
// they do not decipher in is not compared.
void RequireDumpBuildsBack(const std::string& body, const CodePage& page)
{
    const ItemKey key;
    CMenuDocument doc;
    Require(doc.parse(body, key));
    if (doc.decryptFailed) return;
    const std::string written = doc.rootMenu->toBody(key);
    nlohmann::json items;
    std::string error;
    Require(ItemsToJson(*doc.rootMenu, page, "items", items, error));

    CMenuDocument rebuilt;
    CMenuList* root = rebuilt.newMenu(nullptr);
    root->isRoot = 1;
    Require(JsonToItems(nlohmann::json::parse(items.dump()), *root, page, "items", error));
    Require(root->toBody(key) == written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const CodePage* const kPages[3] = {&DefaultCodePage(), FindCodePage("936"), FindCodePage("950")};
    const CodePage& page = *kPages[size % 3];
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::vector<MenuSpec> menus;
    std::string error;
    if (!ReadBuildInput(text, page, menus, error)) {
        Require(!error.empty());
        return 0;
    }
    Require(!menus.empty());

    // The records the build writes, as the file's content.
    CAccountFile file;
    for (const MenuSpec& menu : menus) {
        file.addRecord(menu.name, menu.body);
        file.currentRecord()->users.assign(menu.users.begin(), menu.users.end());
    }
    CDesCipher cipher;
    std::vector<std::unique_ptr<CAccountRecord>> records;
    Require(CAccountFile::ParseContent(file.serialize(), cipher, records));
    Require(records.size() == menus.size());
    for (std::size_t i = 0; i < menus.size(); ++i) {
        Require(records[i]->menuName == menus[i].name);
        Require(records[i]->users.size() == menus[i].users.size());
        auto user = records[i]->users.begin();
        for (const CUserEntry& expected : menus[i].users) {
            Require(user->userName == expected.userName && user->password == expected.password &&
                    user->rights == expected.rights);
            ++user;
        }
        Require(records[i]->body() == menus[i].body);
        RequireDumpBuildsBack(menus[i].body, page);
    }
    return 0;
}
