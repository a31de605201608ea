#include <winsock2.h>

#include "ahcommon/ahsystem.h"
#include "ahcommon/modulefile.h"

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

// A program installed under a user name its system's code page cannot carry
// (Chinese on a Western system) still finds the files beside it with the
// ANSI file functions: its path comes in its short, ASCII form.
TEST(AnsiPath, AFolderTheCodePageCannotCarryStillNamesTheFile)
{
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring folder =
        std::wstring(temp) + L"Vantrel \x5E2E\x52A9 \x8AAA\x660E " + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring copy = folder + L"\\ahtest_strings.dll";
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    std::wstring original = self;
    original.erase(original.find_last_of(L'\\') + 1);
    ASSERT_TRUE(CopyFileW((original + L"ahtest_strings.dll").c_str(), copy.c_str(), FALSE));

    HMODULE module = LoadLibraryW(copy.c_str());
    ASSERT_NE(module, nullptr);
    const std::string ansi = ModuleFileNameAnsi(module);
    FreeLibrary(module);
    EXPECT_EQ(ansi.find('?'), std::string::npos) << ansi;
    // The ANSI name opens the very file that was loaded.
    HANDLE file = CreateFileA(ansi.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << ansi;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    HMODULE again = LoadLibraryA(ansi.c_str());
    EXPECT_NE(again, nullptr) << ansi;
    if (again != nullptr) FreeLibrary(again);

    // A file not made yet, such as a menu file about to be written, keeps
    // its name after the folder's short form.
    const std::wstring made = folder + L"\\new menus.vn";
    const std::string madeAnsi = AnsiPath(made);
    EXPECT_EQ(madeAnsi.find('?'), std::string::npos) << madeAnsi;
    file = CreateFileA(madeAnsi.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << madeAnsi;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    EXPECT_NE(GetFileAttributesW(made.c_str()), INVALID_FILE_ATTRIBUTES);

    DeleteFileW(made.c_str());
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
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
