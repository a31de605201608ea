// The application object: start-up and shut-down hooks around the message
// loop, the main window, the folder of the help guide, the module that dialogs, menus
// and bitmaps come from, and settings kept under
// HKEY_CURRENT_USER\Software\<company>\<program>\<section>.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

class CWinApp {
public:
    // `programName` names the settings key and the private profile file;
    // null means the executable's file name without its extension.
    explicit CWinApp(const char* programName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // False ends the program before the message loop.
    virtual BOOL InitInstance();
    // Returns the process exit code.
    virtual int ExitInstance();
    // InitInstance, the message loop while it succeeded, then ExitInstance.
    // The loop offers each message to the windows' PreTranslateMessage
    // (CWnd::WalkPreTranslate) before translating and dispatching it.
    int Run();

    // From now on settings live in the registry under this company's key.
    void SetRegistryKey(const char* company);
    UINT GetProfileInt(const char* section, const char* entry, int defaultValue) const;
    BOOL WriteProfileInt(const char* section, const char* entry, int value);
    std::string GetProfileString(const char* section, const char* entry, const char* defaultValue) const;
    // A null `value` deletes the entry.
    BOOL WriteProfileString(const char* section, const char* entry, const char* value);
    // The section's key, created when missing; null without a registry key.
    // The caller closes it.
    HKEY GetSectionKey(const char* section) const;

    const std::string& RegistryKey() const { return m_registryKey; }
    const std::string& ProfileName() const { return m_profileName; }

    CWnd* m_mainWnd = nullptr;
    // The folder of the HTML guide that help opens, ending with a backslash;
    // empty means the guide folder beside the program.
    std::wstring m_helpFolder;
    std::string m_appName;

protected:
    int m_exitCode = 0;

private:
    HKEY GetAppKey() const;
    std::string PrivateProfilePath() const;

    std::string m_registryKey;
    std::string m_profileName;
};

// The one application object of the process, or null.
CWinApp* AppObject();

// The module that dialog templates, menus, bitmaps and strings come from;
// the executable until the program chooses its language library.
HINSTANCE ResourceModule();
void SetResourceModule(HINSTANCE module);
