// The in-memory menu tree: lists, ids, placeholders, submenus and copies.
#include <gtest/gtest.h>

#include "menudoc/itemicon.h"
#include "menudoc/menudocument.h"

namespace {

class MenuModel : public ::testing::Test {
protected:
    MenuModel()
    {
        root = doc.newMenu(nullptr);
        root->isRoot = 1;
        doc.rootMenu = root;
    }

    // Gives `item` a submenu holding real items with these captions.
    CMenuList* AddSubmenu(CMenuItem* item, std::initializer_list<const char*> captions)
    {
        item->hasSubmenu = 1;
        item->submenu = doc.newMenu(item);
        for (const char* caption : captions) item->submenu->appendNew(0)->caption = caption;
        return item->submenu;
    }

    CMenuDocument doc;
    CMenuList* root;
};

TEST_F(MenuModel, IdsCountUpAcrossListsAndAreNeverReused)
{
    CMenuItem* a = root->appendNew(0);
    EXPECT_EQ(a, root->currentItem);
    EXPECT_EQ(1, root->count());
    CMenuList* sub = AddSubmenu(a, {"b", "c"});
    CMenuItem* d = root->appendNew(0);
    EXPECT_EQ(0, a->id);
    EXPECT_EQ(1, sub->items[0]->id);
    EXPECT_EQ(2, sub->items[1]->id);
    EXPECT_EQ(3, d->id);
    EXPECT_EQ(d, doc.findItem(3));
    EXPECT_EQ(-1, root->getCurrentIndex());

    doc.deleteMenu(sub);
    a->submenu = nullptr;
    EXPECT_EQ(nullptr, doc.findItem(1));
    EXPECT_EQ(4, root->appendNew(0)->id);

    doc.swapIds(a, d);
    EXPECT_EQ(3, a->id);
    EXPECT_EQ(a, doc.findItem(3));
    EXPECT_EQ(d, doc.findItem(0));
}

TEST_F(MenuModel, ItemAtMovesTheCursorOnlyToFoundItems)
{
    CMenuItem* a = root->appendNew(0);
    root->appendNew(0);
    EXPECT_EQ(a, root->itemAt(0));
    EXPECT_EQ(a, root->currentItem);
    EXPECT_EQ(nullptr, root->itemAt(2));
    EXPECT_EQ(a, root->currentItem);
    EXPECT_EQ(nullptr, root->itemAt(-1));
    EXPECT_EQ(nullptr, root->currentItem);
    root->setCurrentIndex(1);
    EXPECT_EQ(root->items[1], root->selectedItem());
}

TEST_F(MenuModel, PlaceholdersOnlyInSubmenusAndOnlyOnce)
{
    root->ensurePlaceholder();
    EXPECT_EQ(0, root->count());

    CMenuItem* a = root->appendNew(0);
    CMenuList* sub = AddSubmenu(a, {"b"});
    CMenuItem* placeholder = sub->appendNew(1);
    sub->appendNew(0);
    doc.ensurePlaceholders();
    EXPECT_EQ(3, sub->count());
    EXPECT_EQ(placeholder, sub->firstPlaceholder());

    CMenuList* empty = AddSubmenu(root->appendNew(0), {});
    EXPECT_TRUE(empty->allPlaceholders());
    doc.ensurePlaceholders();
    ASSERT_EQ(1, empty->count());
    EXPECT_TRUE(empty->items[0]->isPlaceholder);
    EXPECT_TRUE(empty->allPlaceholders());
    EXPECT_EQ(2, root->count());
}

TEST_F(MenuModel, InsertRemoveTakeAndNeighbours)
{
    CMenuItem* a = root->appendNew(0);
    CMenuItem* b = root->appendNew(0);
    CMenuItem x(nullptr), y(nullptr), z(nullptr);

    root->insert(&x, a, true);  // x a b
    EXPECT_EQ(0, root->getCurrentIndex());
    EXPECT_EQ(root, x.parent);
    root->insert(&y, b, false);  // x a b y: after the last appends
    EXPECT_EQ(3, root->getCurrentIndex());
    root->insert(&z, a, false);  // x a z b y
    EXPECT_EQ(2, root->getCurrentIndex());
    EXPECT_EQ(2, root->indexOf(&z));
    EXPECT_EQ(b, root->next(&z));
    EXPECT_EQ(a, root->previous(&z));
    EXPECT_EQ(nullptr, root->next(&y));
    EXPECT_EQ(nullptr, root->previous(&x));

    CMenuItem stranger(nullptr);
    EXPECT_FALSE(root->remove(&stranger));
    EXPECT_EQ(nullptr, root->take(&stranger));
    EXPECT_EQ(nullptr, root->next(&stranger));
    EXPECT_EQ(-1, root->indexOf(&stranger));

    root->setCurrentIndex(3);
    EXPECT_EQ(&z, root->take(&z));
    EXPECT_EQ(root, z.parent);
    EXPECT_EQ(3, root->getCurrentIndex());
    EXPECT_TRUE(root->remove(&x));
    EXPECT_EQ(nullptr, x.parent);
    EXPECT_EQ(3, root->getCurrentIndex());
    EXPECT_TRUE(root->remove(&y));
    EXPECT_TRUE(root->remove(b));
    EXPECT_EQ(0, root->getCurrentIndex());  // one item left
    EXPECT_EQ(a, root->items[0]);
    doc.unregisterItem(b);
    delete b;
}

TEST_F(MenuModel, ContainsMenuLooksThroughEveryLevel)
{
    CMenuItem* a = root->appendNew(0);
    CMenuList* level2 = AddSubmenu(a, {"b"});
    CMenuList* level3 = AddSubmenu(level2->items[0], {"c"});
    CMenuList* other = AddSubmenu(root->appendNew(0), {"d"});
    EXPECT_TRUE(root->containsMenu(level3));
    EXPECT_TRUE(level2->containsMenu(level3));
    EXPECT_FALSE(level3->containsMenu(level2));
    EXPECT_FALSE(level2->containsMenu(other));
    EXPECT_FALSE(level2->containsMenu(level2));
}

TEST_F(MenuModel, NormaliseFollowsHasSubmenu)
{
    CMenuItem* wants = root->appendNew(0);
    wants->hasSubmenu = 1;
    CMenuItem* drops = root->appendNew(0);
    CMenuList* level2 = AddSubmenu(drops, {"x", "y"});
    CMenuList* level3 = AddSubmenu(level2->items[0], {"z"});
    const int deepId = level3->items[0]->id;
    CMenuItem* keeps = root->appendNew(0);
    CMenuList* kept = AddSubmenu(keeps, {"k"});
    kept->items[0]->hasSubmenu = 1;
    drops->hasSubmenu = 0;
    const std::size_t listsBefore = doc.menus.size();

    root->normaliseSubmenus();

    ASSERT_NE(nullptr, wants->submenu);
    ASSERT_EQ(1, wants->submenu->count());
    EXPECT_TRUE(wants->submenu->items[0]->isPlaceholder);
    EXPECT_EQ(wants, wants->submenu->getParentItem());
    EXPECT_EQ(nullptr, drops->submenu);
    EXPECT_EQ(nullptr, doc.findItem(deepId));
    ASSERT_NE(nullptr, kept->items[0]->submenu);  // one level down too
    EXPECT_TRUE(kept->items[0]->submenu->allPlaceholders());
    EXPECT_EQ(listsBefore, doc.menus.size());  // two dropped, two made
}

TEST_F(MenuModel, CopyFromMakesAnIndependentTreeWithNewIds)
{
    CMenuItem* a = root->appendNew(0);
    a->caption = "a";
    a->target = "notepad.exe";
    a->shellCommand = kShellHttp;
    CMenuList* level2 = AddSubmenu(a, {"b", "c"});
    AddSubmenu(level2->items[1], {"d"});
    const int lastId = doc.nextId - 1;

    CMenuItem copy(nullptr);
    copy.copyFrom(*a);
    EXPECT_EQ(-1, copy.id);
    EXPECT_EQ("a", copy.caption);
    EXPECT_EQ("notepad.exe", copy.target);
    EXPECT_EQ(kShellHttp, copy.shellCommand);
    ASSERT_NE(nullptr, copy.submenu);
    EXPECT_NE(level2, copy.submenu);
    EXPECT_EQ(&copy, copy.submenu->getParentItem());
    ASSERT_EQ(2, copy.submenu->count());
    EXPECT_EQ("c", copy.submenu->items[1]->caption);
    CMenuList* copy3 = copy.submenu->items[1]->submenu;
    ASSERT_NE(nullptr, copy3);
    EXPECT_NE(level2->items[1]->submenu, copy3);
    ASSERT_EQ(1, copy3->count());
    EXPECT_EQ("d", copy3->items[0]->caption);
    for (CMenuItem* item : {copy.submenu->items[0], copy.submenu->items[1], copy3->items[0]}) {
        EXPECT_GT(item->id, lastId);
        EXPECT_EQ(item, doc.findItem(item->id));
    }

    // The copy's list is the document's, deleted through it.
    EXPECT_TRUE(doc.deleteMenu(copy.submenu));
    copy.submenu = nullptr;
    EXPECT_EQ("d", level2->items[1]->submenu->items[0]->caption);

    CMenuList* twice = doc.newMenu(nullptr);
    twice->copyItemsFrom(*level2);
    twice->copyItemsFrom(*twice);
    EXPECT_EQ(4, twice->count());
}

TEST_F(MenuModel, DeleteMenuDropsTheSubtreeAndOnlyItsOwnLists)
{
    CMenuItem* a = root->appendNew(0);
    CMenuList* level2 = AddSubmenu(a, {"b"});
    AddSubmenu(level2->items[0], {"c"});
    EXPECT_EQ(3u, doc.menus.size());

    CMenuDocument other;
    CMenuList* foreign = other.newMenu(nullptr);
    EXPECT_FALSE(doc.deleteMenu(foreign));
    EXPECT_TRUE(other.deleteMenu(foreign));

    EXPECT_TRUE(doc.deleteMenu(root));
    EXPECT_TRUE(doc.menus.empty());
    EXPECT_TRUE(doc.itemsById.empty());
    EXPECT_EQ(nullptr, doc.rootMenu);
}

// Trees read from a damaged or hostile file can be as deep as the file is
// long; nothing may recurse once per level.
TEST_F(MenuModel, VeryDeepTreesDoNotExhaustTheStack)
{
    const int depth = 200000;
    CMenuList* list = root;
    for (int i = 0; i < depth; ++i) {
        CMenuItem* item = list->appendNew(0);
        item->hasSubmenu = 1;
        item->submenu = doc.newMenu(item);
        list = item->submenu;
    }
    CMenuList* deepest = list;
    deepest->appendNew(0)->caption = "bottom";

    EXPECT_TRUE(root->containsMenu(deepest));
    root->normaliseSubmenus();
    CMenuItem copy(nullptr);
    copy.copyFrom(*root->items[0]);
    const std::string body = root->toBody(ItemKey("k"));

    CMenuDocument reread;
    ASSERT_TRUE(reread.parse(body, ItemKey("k")));
    EXPECT_EQ(body, reread.rootMenu->toBody(ItemKey("k")));

    EXPECT_TRUE(doc.deleteMenu(copy.submenu));
    copy.submenu = nullptr;
    EXPECT_TRUE(doc.deleteMenu(root));
    EXPECT_TRUE(doc.itemsById.empty());
}

}  // namespace

#ifdef _WIN32
namespace {

// An icon stored relative to the program folder loads wherever the program
// was started from.
TEST(ItemIcon, RelativePathIsTakenFromTheProgramFolder)
{
    char exe[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, exe, MAX_PATH), 0u);
    std::string folder(exe);
    folder.erase(folder.find_last_of("\\/") + 1);
    const std::string name = "itemicon_test_" + std::to_string(GetCurrentProcessId()) + ".ico";
    ASSERT_TRUE(CopyFileA(MENUDOC_TEST_ICON, (folder + name).c_str(), FALSE));

    char previous[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, previous), 0u);
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(temp));

    EXPECT_EQ(folder + name, ResolveIconPath(name));
    EXPECT_EQ("C:\\x\\" + name, ResolveIconPath("C:\\x\\" + name));
    EXPECT_EQ("absent.ico", ResolveIconPath("absent.ico"));
    CMenuItem item;
    item.iconFile = name;
    EXPECT_TRUE(item.loadIcon());
    item.iconFile = folder + name;
    EXPECT_TRUE(item.loadIcon());
    item.iconFile = "no_such_icon.ico";
    EXPECT_FALSE(item.loadIcon());

    SetCurrentDirectoryA(previous);
    DeleteFileA((folder + name).c_str());
}

}  // namespace
#endif
