#include "app/startup.h"
#include "app/traymenu.h"
#include "app/vantrelapp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

LANGID g_fakeLanguage = 0;
LANGID WINAPI FakeLanguage()
{
    return g_fakeLanguage;
}

TEST(Startup, TheLanguageLibraryFollowsTheSystemLanguage)
{
    const struct {
        LANGID language;
        const char* library;
    } cases[] = {
        {1028, "vnCht.dll"},  // Chinese (Taiwan)
        {2052, "vnChs.dll"},  // Chinese (PRC)
        {3076, "vnEng.dll"},  // Chinese (Hong Kong): English
        {4100, "vnEng.dll"},  // Chinese (Singapore): English
        {1033, "vnEng.dll"},
    };
    auto saved = g_systemLanguage;
    g_systemLanguage = &FakeLanguage;
    for (const auto& c : cases) {
        g_fakeLanguage = c.language;
        EXPECT_STREQ(languageLibraryName(), c.library) << c.language;
    }
    g_systemLanguage = saved;
}

TEST(Startup, PathsInsideTheProgramFolderBecomeRelative)
{
    const std::string dir = "C:\\Program Files\\Vantrel\\";
    const struct {
        std::string path;
        std::string expected;
    } cases[] = {
        {"C:\\Program Files\\Vantrel\\menus\\work.vn", "menus\\work.vn"},
        {"c:\\PROGRAM FILES\\vantrel\\work.vn", "work.vn"},          // other letter case
        {"C:\\Program Files\\Vantrel\\", "C:\\Program Files\\Vantrel\\"},  // the folder itself
        {"C:\\Program Files\\Vantrel", "C:\\Program Files\\Vantrel"},
        {"D:\\Menus\\work.vn", "D:\\Menus\\work.vn"},                // elsewhere
        {"C:\\Program Files\\VantrelOld\\work.vn", "C:\\Program Files\\VantrelOld\\work.vn"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(toModuleRelative(dir, c.path), c.expected) << c.path;
    EXPECT_EQ(toModuleRelative("", "work.vn"), "work.vn");
}

TEST(Startup, RelativePathsResolveOnlyToExistingFiles)
{
    char folder[MAX_PATH] = {};
    ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
    std::string dir = std::string(folder) + "vantrel_resolve_test\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    CreateDirectoryA((dir + "sub").c_str(), nullptr);
    const std::string file = dir + "work.vn";
    FILE* f = std::fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);

    EXPECT_EQ(resolveModuleRelative(dir, "work.vn"), file);
    EXPECT_EQ(resolveModuleRelative(dir, "missing.vn"), "missing.vn");
    EXPECT_EQ(resolveModuleRelative(dir, "sub"), "sub") << "a folder is not a menu file";
    EXPECT_EQ(resolveModuleRelative(dir, file), file) << "an absolute path stays as it is";
    EXPECT_EQ(resolveModuleRelative(dir, ""), "");

    DeleteFileA(file.c_str());
    RemoveDirectoryA((dir + "sub").c_str());
    RemoveDirectoryA(dir.c_str());
}

TEST(Startup, IdleMinutesAreClampedAsStored)
{
    CVantrelApp* app = VantrelApp();
    ASSERT_NE(app, nullptr);
    app->SetRegistryKey("Vantrel App Tests");
    const struct {
        int stored;
        int read;
    } cases[] = {{0, 0}, {1, 1}, {99, 99}, {100, 99}, {250, 99}, {-3, 0}};
    for (const auto& c : cases) {
        ASSERT_TRUE(app->WriteProfileInt("Settings", "AutoLogoutMin", c.stored));
        EXPECT_EQ(clampAutoLogoutMinutes(static_cast<int>(app->GetProfileInt("Settings", "AutoLogoutMin", 0))),
                  c.read)
            << c.stored;
    }
    // Absent values give the defaults of the settings table.
    app->WriteProfileString("Settings", "Enable", nullptr);
    EXPECT_EQ(app->GetProfileInt("Settings", "Enable", 1), 1u);
    EXPECT_EQ(app->getProfileText("Settings", "File", nullptr), "");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Vantrel App Tests");
    app->SetRegistryKey("");
}

}  // namespace

namespace {

std::vector<UINT> MenuIds(HMENU menu)
{
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) ids.push_back(GetMenuItemID(menu, i));
    return ids;
}

TEST(TrayMenu, TrimmingLeavesNoDoubleOrDanglingSeparators)
{
    const UINT loggedInOnly[] = {32790, 32789, 32777, 32791};
    const struct {
        std::vector<UINT> items;  // 0 = separator
        std::vector<UINT> left;
    } cases[] = {
        // The tray menu as shipped: the logged-in block sits between two lines.
        {{32781, 32778, 0, 32777, 32789, 32790, 32791, 0, 32780, 0, 57667, 57664, 0, 57665},
         {32781, 32778, 0, 32780, 0, 57667, 57664, 0, 57665}},
        {{32777, 0, 57665}, {57665}},
        {{57664, 0, 32791}, {57664}},
        {{57664, 0, 57665}, {57664, 0, 57665}},
    };
    for (const auto& c : cases) {
        HMENU popup = CreatePopupMenu();
        for (UINT id : c.items) AppendMenuA(popup, id == 0 ? MF_SEPARATOR : MF_STRING, id, id == 0 ? nullptr : "x");
        trimTrayMenu(popup, loggedInOnly, 4);
        EXPECT_EQ(MenuIds(popup), c.left);
        DestroyMenu(popup);
    }
}

}  // namespace
