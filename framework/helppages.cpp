#include "framework/helppages.h"

#include "lang/resource.h"

#include <cstring>

namespace {

struct HelpPage {
    unsigned long context;
    const char* page;
};

const HelpPage kPages[] = {
    {HelpContextOf(IDD_ABOUT), kGuideIndexPage},
    {HelpContextOf(IDD_DESIGNER), "designer"},
    {HelpContextOf(IDD_GENERAL_PAGE), "palette"},
    {HelpContextOf(IDD_KEYS_PAGE), "palette"},
    {HelpContextOf(IDD_COMMAND_PAGE), "palette"},
    {HelpContextOf(IDD_NEW_MENU_FILE), "new-menu"},
    {HelpContextOf(IDD_LOGIN), "login"},
    {HelpContextOf(IDD_USERS), "users"},
    {HelpContextOf(IDD_NEW_USER), "users"},
    {HelpContextOf(IDD_USER_PROPERTIES), "users"},
    {HelpContextOf(IDD_SET_PASSWORD), "users"},
    {HelpContextOf(IDD_CHANGE_PASSWORD), "change-password"},
    {kHelpContextProgram, "first-start"},
};

}  // namespace

const char* HelpPageFor(unsigned long context)
{
    for (const HelpPage& entry : kPages)
        if (entry.context == context) return entry.page;
    return kGuideIndexPage;
}

std::vector<const char*> HelpPages()
{
    std::vector<const char*> pages = {kGuideIndexPage};
    for (const HelpPage& entry : kPages) {
        bool known = false;
        for (const char* page : pages) known = known || std::strcmp(page, entry.page) == 0;
        if (!known) pages.push_back(entry.page);
    }
    return pages;
}
