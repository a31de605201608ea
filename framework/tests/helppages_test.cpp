#include "framework/helppages.h"

#include "lang/resource.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

TEST(HelpPagesTest, EachContextOpensItsPageAndAnyOtherTheIndex)
{
    const struct {
        unsigned long context;
        const char* page;
    } cases[] = {
        {0x20000 + 100, "index"},           // About
        {0x20000 + 102, "designer"},        // the designer and its Help command
        {0x20000 + 138, "palette"},         // General page
        {0x20000 + 140, "palette"},         // Keystrokes page
        {0x20000 + 141, "palette"},         // Command page
        {0x20000 + 142, "new-menu"},
        {0x20000 + 143, "login"},
        {0x20000 + 145, "users"},
        {0x20000 + 148, "users"},           // New user
        {0x20000 + 149, "users"},           // User properties
        {0x20000 + 150, "users"},           // Set password
        {0x20000 + 147, "change-password"},
        {0x21773, "first-start"},           // the tray's Help
        {0, "index"},
        {143, "index"},                     // a template id is not a context
        {0x20000 + 144, "index"},
        {0x20000 + 6002, "index"},
        {0xFFFFFFFFul, "index"},
    };
    for (const auto& c : cases) EXPECT_STREQ(HelpPageFor(c.context), c.page) << std::hex << c.context;
    EXPECT_EQ(kHelpContextProgram, 0x21773ul);
    EXPECT_EQ(HelpContextOf(IDD_LOGIN), 0x2008Ful);
}

// The guide's Markdown sources in this tree must hold a page for every name
// the table gives, or help would open the index instead.
TEST(HelpPagesTest, TheGuideSourcesHaveEveryPageTheTableNames)
{
    const std::vector<const char*> pages = HelpPages();
    ASSERT_FALSE(pages.empty());
    EXPECT_STREQ(pages.front(), "index");
    for (const char* page : pages) {
        const std::string path = std::string(VANTREL_SOURCE_DIR) + "/docs/guide/" + page + ".md";
        EXPECT_TRUE(std::ifstream(path).good()) << "missing " << path;
    }
}
