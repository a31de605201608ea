// Help opens guide pages through the shell. A recorder (openrecord.exe,
// built beside this test) is registered in Wine as the program for .html
// files, so every page the shell opens becomes a line of its log.
#include "framework/dialog.h"
#include "framework/helpopener.h"
#include "framework/helppages.h"
#include "framework/winapp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Where Wine's shell looks up the program for a file type: the machine's
// classes (the user's own are not consulted).
const HKEY kClassesRoot = HKEY_LOCAL_MACHINE;
const wchar_t kClasses[] = L"Software\\Classes\\";
const wchar_t kProgId[] = L"VantrelTest.OpenRecord";

std::wstring Utf16(const std::string& text)
{
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(size > 0 ? size : 1));
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), size);
    return wide.data();
}

std::string Utf8(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> narrow(static_cast<size_t>(size > 0 ? size : 1));
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow.data(), size, nullptr, nullptr);
    return narrow.data();
}

std::wstring TestFolder()
{
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self, n);
    return folder.erase(folder.find_last_of(L"\\/") + 1);
}

bool WriteFileText(const std::wstring& path, const char* text)
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) return false;
    std::fputs(text, file);
    return std::fclose(file) == 0;
}

std::vector<std::string> ReadLines(const std::wstring& path)
{
    std::vector<std::string> lines;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) return lines;
    char line[4096];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        lines.push_back(text);
    }
    std::fclose(file);
    return lines;
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The default value of a key under the classes root; false when absent.
bool ReadDefault(const std::wstring& key, std::wstring& value)
{
    wchar_t data[1024];
    DWORD size = sizeof data;
    if (RegGetValueW(kClassesRoot, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return false;
    value = data;
    return true;
}

bool WriteDefault(const std::wstring& key, const std::wstring& value)
{
    return RegSetKeyValueW(kClassesRoot, key.c_str(), nullptr, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::vector<std::wstring> g_notOpened;
void RecordNotOpened(HWND, const std::wstring& folder)
{
    g_notOpened.push_back(folder);
}

class HelpDialog : public CDialog {
public:
    HelpDialog() : CDialog(143) {}
};

class HelpOpenerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        m_root = std::wstring(temp) + L"vantrel-help-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        ASSERT_TRUE(CreateDirectoryW(m_root.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
        m_log = m_root + L"open.log";

        // The recorder becomes the program for .html files; TearDown puts
        // back what was there.
        m_hadHtml = ReadDefault(std::wstring(kClasses) + L".html", m_savedHtml);
        ASSERT_TRUE(RegisterCommand(L"\"" + TestFolder() + L"openrecord.exe\" \"" + m_log + L"\" \"%1\""));
        m_savedNotice = g_guideNotOpened;
        g_guideNotOpened = &RecordNotOpened;
        g_notOpened.clear();
    }
    void TearDown() override
    {
        g_guideNotOpened = m_savedNotice;
        const std::wstring html = std::wstring(kClasses) + L".html";
        if (m_hadHtml)
            EXPECT_TRUE(WriteDefault(html, m_savedHtml));
        else
            RegDeleteTreeW(kClassesRoot, html.c_str());
        RegDeleteTreeW(kClassesRoot, (std::wstring(kClasses) + kProgId).c_str());
        RemoveTree(m_root);
    }

    bool RegisterCommand(const std::wstring& command)
    {
        return WriteDefault(std::wstring(kClasses) + L".html", kProgId) &&
               WriteDefault(std::wstring(kClasses) + kProgId + L"\\shell\\open\\command", command);
    }

    // A guide folder under the test's folder holding `pages` (.html each).
    std::wstring MakeGuide(const std::wstring& name, std::initializer_list<const char*> pages)
    {
        const std::wstring folder = m_root + name + L"\\";
        EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        for (const char* page : pages)
            EXPECT_TRUE(WriteFileText(folder + Utf16(page) + L".html", "<html></html>")) << page;
        return folder;
    }

    // The lines the recorder wrote once it has written `count`, waiting up
    // to ten seconds; then a little longer to see that no more come.
    std::vector<std::string> Opened(size_t count)
    {
        for (int i = 0; i < 200 && ReadLines(m_log).size() < count; ++i) {
            Pump();
            Sleep(50);
        }
        Sleep(200);
        return ReadLines(m_log);
    }

    static void RemoveTree(const std::wstring& folder)
    {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(folder + name + L"\\");
                else
                    DeleteFileW((folder + name).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::wstring m_root;
    std::wstring m_log;
    bool m_hadHtml = false;
    std::wstring m_savedHtml;
    void (*m_savedNotice)(HWND, const std::wstring&) = nullptr;
};

TEST_F(HelpOpenerTest, AContextOpensItsPageOrTheIndexWhenThePageIsMissing)
{
    const std::wstring guide = MakeGuide(L"guide", {"index", "login", "palette"});
    const struct {
        unsigned long context;
        const char* file;
    } cases[] = {
        {HelpContextOf(143), "login.html"},
        {HelpContextOf(140), "palette.html"},
        {HelpContextOf(145), "index.html"},   // users.html is not there
        {kHelpContextProgram, "index.html"},  // nor first-start.html
        {0x12345, "index.html"},              // no page of its own
    };
    std::vector<std::string> expected;
    for (const auto& c : cases) {
        EXPECT_EQ(OpenGuidePage(nullptr, guide, HelpPageFor(c.context)), GuideOpenResult::Opened) << c.file;
        expected.push_back(Utf8(guide) + c.file);
    }
    // The recorders run side by side, so their lines may come in any order.
    std::vector<std::string> opened = Opened(expected.size());
    std::sort(opened.begin(), opened.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(opened, expected);
    EXPECT_TRUE(g_notOpened.empty());
}

TEST_F(HelpOpenerTest, AFolderNamedInChineseWithSpacesOpens)
{
    const std::wstring guide = MakeGuide(Utf16("帮助 說明 guide"), {"index", "users"});
    EXPECT_EQ(OpenGuidePage(nullptr, guide, "users"), GuideOpenResult::Opened);
    EXPECT_EQ(Opened(1), std::vector<std::string>{Utf8(guide) + "users.html"});
    EXPECT_EQ(OpenGuidePage(nullptr, guide, "login"), GuideOpenResult::Opened);
    EXPECT_EQ(Opened(2), (std::vector<std::string>{Utf8(guide) + "users.html", Utf8(guide) + "index.html"}));
}

TEST_F(HelpOpenerTest, WithoutTheGuideOrABrowserTheUserIsToldWhereTheGuideWasExpected)
{
    CWinApp app("HelpTest");
    // No index either: nothing to open.
    const std::wstring empty = MakeGuide(L"empty", {"login"});
    EXPECT_EQ(OpenGuidePage(nullptr, empty, "users"), GuideOpenResult::NoGuide);
    app.m_helpFolder = empty;
    ShowHelp(nullptr, HelpContextOf(145));
    EXPECT_EQ(g_notOpened, std::vector<std::wstring>{empty});

    // The page is there but the program for pages is not.
    const std::wstring guide = MakeGuide(L"guide", {"index"});
    ASSERT_TRUE(RegisterCommand(L"\"" + m_root + L"no such program.exe\" \"%1\""));
    EXPECT_EQ(OpenGuidePage(nullptr, guide, "index"), GuideOpenResult::NotOpened);
    app.m_helpFolder = guide;
    g_notOpened.clear();
    ShowHelpContents(nullptr);
    EXPECT_EQ(g_notOpened, std::vector<std::wstring>{guide});
    EXPECT_TRUE(Opened(0).empty());
}

// A dialog's Help button and F1 (WM_HELP) open the page of its template, from
// the application's guide folder.
TEST_F(HelpOpenerTest, ADialogsHelpButtonAndF1OpenItsPage)
{
    CWinApp app("HelpTest");
    app.m_helpFolder = MakeGuide(L"guide", {"index", "login"});
    SetResourceModule(nullptr);  // the test program carries the template
    HelpDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(57670, BN_CLICKED),
                 reinterpret_cast<LPARAM>(dialog.GetDlgItem(57670)));
    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.hItemHandle = dialog.GetDlgItem(1001);
    info.iCtrlId = 1001;
    SendMessageA(dialog.m_hWnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    dialog.DestroyWindow();
    const std::string page = Utf8(app.m_helpFolder) + "login.html";
    EXPECT_EQ(Opened(2), (std::vector<std::string>{page, page}));
    EXPECT_TRUE(g_notOpened.empty());
}

// Without a folder of its own the application's help looks beside the program.
TEST(HelpOpener, TheGuideFolderIsBesideTheProgram)
{
    EXPECT_EQ(GuideFolderBesideProgram(), TestFolder() + L"guide\\");
}

}  // namespace
