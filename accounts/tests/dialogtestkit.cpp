#include "accounts/tests/dialogtestkit.h"

#include "accounts/accountfile.h"
#include "ahcommon/ahsystem.h"
#include "framework/controls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>

namespace {

// A key of each test program's own, so that test programs run side by side
// do not clear each other's settings.
const std::string& Company()
{
    static const std::string company = "Vantrel Dialog Tests " + std::to_string(GetCurrentProcessId());
    return company;
}

std::string SettingsKey()
{
    return "Software\\" + Company() + "\\DialogTests\\Settings";
}

CWinApp& TestApp()
{
    static CWinApp app("DialogTests");
    static bool keyed = false;
    if (!keyed) {
        app.SetRegistryKey(Company().c_str());
        keyed = true;
    }
    return app;
}

struct PendingScript {
    TestHost* host;
    TestHost::Script script;
    HWND dialog;
};
std::map<UINT_PTR, PendingScript> g_pending;

void CALLBACK RunPendingScript(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    auto found = g_pending.find(id);
    if (found == g_pending.end()) return;
    PendingScript pending = std::move(found->second);
    g_pending.erase(found);
    pending.script(pending.dialog);
    const auto& closed = pending.host->closed;
    if (std::find(closed.begin(), closed.end(), pending.dialog) == closed.end())
        PostMessageA(pending.dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

class LanguageEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        HMODULE module = LoadLibraryA("vnEng.dll");
        ASSERT_NE(module, nullptr);
        SetResourceModule(module);
        AhSetResourceHandle(module);
        InitCommonControlsOnce();
        TestApp();
    }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new LanguageEnvironment);

}  // namespace

CWinApp& TestHost::settings()
{
    return TestApp();
}

std::string TestHost::toModuleRelative(const std::string& path) const
{
    const size_t n = programFolder.size();
    if (n == 0 || path.size() <= n || lstrcmpiA(path.substr(0, n).c_str(), programFolder.c_str()) != 0) return path;
    return path.substr(n);
}

std::string TestHost::resolveModuleRelative(const std::string& path) const
{
    if (programFolder.empty() || path.empty()) return path;
    const DWORD attributes = GetFileAttributesA((programFolder + path).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? path : programFolder + path;
}

bool TestHost::chooseMenuFile(HWND, DWORD flags, std::string& path)
{
    browses.push_back({path, flags});
    if (chosenFiles.empty()) return false;
    const std::string chosen = chosenFiles.front();
    chosenFiles.pop_front();
    if (chosen.empty()) return false;
    path = chosen;
    return true;
}

bool TestHost::takeDecryptFailed()
{
    const bool was = decryptFailed;
    decryptFailed = false;
    return was;
}

int TestHost::showMessage(HWND, UINT stringId, UINT style, const std::string& first, const std::string& second)
{
    messages.push_back({stringId, style, first, second});
    if (answers.empty()) return IDOK;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

void TestHost::dialogShown(HWND dialog, bool animate)
{
    if (animate) ++shownAnimated;
    if (scripts.empty()) return;
    const UINT_PTR id = SetTimer(nullptr, 0, 10, &RunPendingScript);
    ASSERT_NE(id, 0u);
    g_pending[id] = {this, std::move(scripts.front()), dialog};
    scripts.pop_front();
}

void TestHost::dialogClosing(HWND dialog, bool)
{
    closed.push_back(dialog);
}

std::vector<UINT> TestHost::MessageIds() const
{
    std::vector<UINT> ids;
    for (const ShownMessage& message : messages) ids.push_back(message.id);
    return ids;
}

void SetText(HWND dialog, int id, const std::string& text)
{
    SetDlgItemTextA(dialog, id, text.c_str());
}

std::string Text(HWND dialog, int id)
{
    char buffer[1024] = {};
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return buffer;
}

void Click(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void ClickCheck(HWND dialog, int id, bool checked)
{
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
    Click(dialog, id);
}

bool Checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

bool HasFocus(HWND dialog, int id)
{
    return GetFocus() == GetDlgItem(dialog, id);
}

void ClearSettings()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + Company()).c_str());
}

std::string SettingText(const char* name)
{
    return TestApp().GetProfileString("Settings", name, "");
}

bool SettingExists(const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    const bool exists = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return exists;
}

std::string TestFolder()
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "vantrel-dialog-tests-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

void ClearFolder()
{
    const std::string folder = TestFolder();
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) DeleteFileA((folder + data.cFileName).c_str());
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void MakeMenuFile(const std::string& path, const std::vector<TestMenu>& menus)
{
    CAccountFile accounts;
    ASSERT_TRUE(accounts.create(path, menus.at(0).name));
    for (size_t i = 0; i < menus.size(); ++i) {
        if (i > 0) accounts.addRecord(menus[i].name, std::string());
        ASSERT_TRUE(accounts.findRecord(menus[i].name));
        if (menus[i].users.empty()) continue;
        accounts.currentRecord()->users.clear();
        for (const TestUser& user : menus[i].users) accounts.addUser(user.name, user.password, user.rights);
    }
    ASSERT_TRUE(accounts.save());
    accounts.close();
}
