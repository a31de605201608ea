// The application object: one running copy, the language library for the
// system language, the guide folder that help opens, the tray icon and menu, the hidden main
// frame, and the settings and state that the program's threads share.
#pragma once

#include "framework/winapp.h"

#include <atomic>
#include <string>

class CMainFrame;

class CVantrelApp : public CWinApp {
public:
    CVantrelApp();
    ~CVantrelApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // A string setting, or `defaultValue` (empty when null) when it is absent.
    std::string getProfileText(const char* section, const char* entry, const char* defaultValue) const;
    // Menu-file paths inside the program folder are kept relative to it.
    std::string toModuleRelative(const std::string& path) const;
    std::string resolveModuleRelative(const std::string& path) const;

    std::string moduleDirectory;
    HMODULE resourceLibrary = nullptr;
    HANDLE instanceMutex = nullptr;
    HICON appIcon = nullptr;
    HMENU trayMenu = nullptr;
    // The tray menu's first submenu: what the tray icon shows.
    std::atomic<HMENU> trayPopup{nullptr};
    HCURSOR designerCursor = nullptr;
    CMainFrame* mainFrame = nullptr;
    RECT creationRect = {0, 0, 0, 0};

    // Shared by the user-interface thread and the worker.
    std::atomic<int> decryptFailed{0};
    std::atomic<int> engineReady{1};
    std::atomic<int> loggedIn{0};
    std::atomic<int> autoLogoutMinutes{0};
    // How long one idle minute lasts for the worker; only test builds of
    // the program shorten it.
    UINT idleMinuteMilliseconds = 60000;
    std::string loginFile;
    std::string loginMenuName;
    std::string loginUser;
    std::string loginPassword;
    std::string loginKey;

private:
    bool m_timerStarted = false;
    bool m_oleStarted = false;
};

// The program's application object, or null.
CVantrelApp* VantrelApp();
