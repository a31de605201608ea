#include <winsock2.h>

#include "ahcommon/ahsystem.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Pattern(char first, std::size_t length)
{
    std::string s;
    for (std::size_t i = 0; i < length; ++i) s += static_cast<char>(first + i % 26);
    return s;
}

class ResourceStrings : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_module = LoadLibraryA((GetModulePath() + "ahtest_strings.dll").c_str());
        ASSERT_NE(m_module, nullptr);
        EXPECT_EQ(AhSetResourceHandle(m_module), m_module);
    }
    void TearDown() override
    {
        AhSetResourceHandle(nullptr);
        if (m_module != nullptr) FreeLibrary(m_module);
    }
    HINSTANCE m_module = nullptr;
};

TEST_F(ResourceStrings, LoadsWholeStringsOfAnyLength)
{
    const struct {
        UINT id;
        int result;
        std::string text;
    } cases[] = {
        {1, 1, "Hello"},
        {16, 1, Pattern('a', 254)},
        {17, 1, Pattern('a', 255)},
        {18, 1, Pattern('A', 700)},
        {19, 0, ""},   // present but empty
        {2, 0, ""},    // missing from an existing block
        {300, 0, ""},  // block missing altogether
    };
    EXPECT_EQ(AhGetResourceHandle(), m_module);
    for (const auto& c : cases) {
        std::string text = "stale";
        EXPECT_EQ(AhLoadString(c.id, text), c.result) << c.id;
        EXPECT_EQ(text, c.text) << c.id;
    }
}

TEST_F(ResourceStrings, NullHandleMeansTheProgramItself)
{
    AhSetResourceHandle(nullptr);
    std::string text;
    EXPECT_EQ(AhLoadString(1, text), 0);  // the test program has no strings
    EXPECT_EQ(text, "");
}

TEST(AhStartup, StartsOnceAndCleansUpOnce)
{
    ASSERT_EQ(AhStartup(), 1);
    ASSERT_EQ(AhStartup(), 1);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_NE(s, INVALID_SOCKET);
    closesocket(s);

    // One clean-up ends Winsock: the second start-up did not count twice.
    EXPECT_EQ(AhCleanup(), 1);
    s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    EXPECT_EQ(s, INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
    EXPECT_EQ(AhCleanup(), 1);
}

TEST(GetLocalIP, IsADottedQuadOrEmpty)
{
    ASSERT_EQ(AhStartup(), 1);
    const std::string ip = GetLocalIP();
    AhCleanup();
    if (ip.empty()) return;
    unsigned a, b, c, d;
    char tail;
    EXPECT_EQ(sscanf(ip.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail), 4) << ip;
    EXPECT_TRUE(a < 256 && b < 256 && c < 256 && d < 256) << ip;
}

TEST(GetModulePath, IsTheExecutableFolder)
{
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    std::string expected(path);
    expected.erase(expected.find_last_of('\\') + 1);
    EXPECT_EQ(GetModulePath(), expected);
    EXPECT_EQ(GetModulePath().back(), '\\');
}

TEST(AhGetWindowText, ReadsExactlyTheText)
{
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    std::string text = "stale";
    AhGetWindowText(edit, text);
    EXPECT_EQ(text, "");

    const std::string long_text = Pattern('a', 5000);
    for (const std::string& t : {std::string("x"), std::string("two words"), long_text}) {
        SetWindowTextA(edit, t.c_str());
        AhGetWindowText(edit, text);
        EXPECT_EQ(text, t);
    }
    DestroyWindow(edit);
}

}  // namespace
