#include "winapp.h"

#include "window.h"

#include "ahcommon/modulefile.h"

#include <cstring>
#include <vector>

namespace {

CWinApp* g_app = nullptr;
HINSTANCE g_resourceModule = nullptr;

std::string ExecutablePath()
{
    return ModuleFileNameAnsi();
}

}  // namespace

CWinApp* AppObject()
{
    return g_app;
}

HINSTANCE ResourceModule()
{
    return g_resourceModule != nullptr ? g_resourceModule : GetModuleHandleA(nullptr);
}

void SetResourceModule(HINSTANCE module)
{
    g_resourceModule = module;
}

CWinApp::CWinApp(const char* programName)
{
    if (programName != nullptr) {
        m_profileName = programName;
    } else {
        std::string path = ExecutablePath();
        const auto slash = path.find_last_of("\\/");
        if (slash != std::string::npos) path.erase(0, slash + 1);
        const auto dot = path.rfind('.');
        if (dot != std::string::npos) path.erase(dot);
        m_profileName = path;
    }
    m_appName = m_profileName;
    if (g_app == nullptr) g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return m_exitCode;
}

int CWinApp::Run()
{
    if (!InitInstance()) {
        if (m_mainWnd != nullptr) m_mainWnd->DestroyWindow();
        ExitInstance();
        return 1;
    }
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            m_exitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) {
            m_exitCode = 1;
            break;
        }
        if (CWnd::WalkPreTranslate(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return ExitInstance();
}

void CWinApp::SetRegistryKey(const char* company)
{
    m_registryKey = company != nullptr ? company : "";
}

HKEY CWinApp::GetAppKey() const
{
    if (m_registryKey.empty()) return nullptr;
    const std::string path = "Software\\" + m_registryKey + "\\" + m_profileName;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

HKEY CWinApp::GetSectionKey(const char* section) const
{
    HKEY app = GetAppKey();
    if (app == nullptr) return nullptr;
    HKEY key = nullptr;
    if (RegCreateKeyExA(app, section, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        key = nullptr;
    RegCloseKey(app);
    return key;
}

std::string CWinApp::PrivateProfilePath() const
{
    std::string path = ExecutablePath();
    const auto slash = path.find_last_of("\\/");
    path.erase(slash == std::string::npos ? 0 : slash + 1);
    return path + m_profileName + ".ini";
}

UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue) const
{
    if (m_registryKey.empty())
        return GetPrivateProfileIntA(section, entry, defaultValue, PrivateProfilePath().c_str());
    HKEY key = GetSectionKey(section);
    if (key == nullptr) return static_cast<UINT>(defaultValue);
    DWORD value = 0, type = 0, size = sizeof value;
    const LONG rc = RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return static_cast<UINT>(defaultValue);
    return value;
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value)
{
    if (m_registryKey.empty()) {
        const std::string text = std::to_string(value);
        return WritePrivateProfileStringA(section, entry, text.c_str(), PrivateProfilePath().c_str());
    }
    HKEY key = GetSectionKey(section);
    if (key == nullptr) return FALSE;
    const DWORD data = static_cast<DWORD>(value);
    const LONG rc = RegSetValueExA(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

std::string CWinApp::GetProfileString(const char* section, const char* entry, const char* defaultValue) const
{
    const std::string fallback = defaultValue != nullptr ? defaultValue : "";
    if (m_registryKey.empty()) {
        std::vector<char> buffer(4096);
        GetPrivateProfileStringA(section, entry, fallback.c_str(), buffer.data(),
                                 static_cast<DWORD>(buffer.size()), PrivateProfilePath().c_str());
        return buffer.data();
    }
    HKEY key = GetSectionKey(section);
    if (key == nullptr) return fallback;
    DWORD type = 0, size = 0;
    std::string text = fallback;
    if (RegQueryValueExA(key, entry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::vector<char> buffer(size + 1, '\0');
        if (RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
            ERROR_SUCCESS) {
            buffer[size] = '\0';  // the stored data need not end with a zero
            text = buffer.data();
        }
    }
    RegCloseKey(key);
    return text;
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value)
{
    if (m_registryKey.empty())
        return WritePrivateProfileStringA(section, entry, value, PrivateProfilePath().c_str());
    HKEY key = GetSectionKey(section);
    if (key == nullptr) return FALSE;
    LONG rc;
    if (value == nullptr) {
        rc = RegDeleteValueA(key, entry);
        if (rc == ERROR_FILE_NOT_FOUND) rc = ERROR_SUCCESS;
    } else {
        rc = RegSetValueExA(key, entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                            static_cast<DWORD>(strlen(value) + 1));
    }
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}
