#include "app/vantrelapp.h"

#include "app/mainframe.h"
#include "app/splashwnd.h"
#include "app/startup.h"
#include "app/traymenu.h"
#include "ahcommon/ahsystem.h"
#include "ahcommon/threadtimer.h"
#include "framework/controls.h"
#include "framework/helpopener.h"
#include "lang/resource.h"

#include <ole2.h>

#include <cstdio>

namespace {

const char kMutexName[] = "Vantrel_AmberHeron";
const char kCompany[] = "Amber Heron, Inc";

// Before the language library is loaded only fixed texts can be shown.
void ShowFixedMessage(const char* text, UINT style)
{
    MessageBoxA(nullptr, text, "Vantrel", style);
}

}  // namespace

CVantrelApp* VantrelApp()
{
    return static_cast<CVantrelApp*>(AppObject());
}

CVantrelApp::CVantrelApp() : CWinApp("Vantrel") {}

CVantrelApp::~CVantrelApp() = default;

BOOL CVantrelApp::InitInstance()
{
    m_timerStarted = InitializeTimer() > 0;
    if (!m_timerStarted) return FALSE;

    // One copy only: a second one ends silently.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, kMutexName);
    if (mutex == nullptr) return FALSE;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return FALSE;
    }
    instanceMutex = mutex;

    moduleDirectory = GetModulePath();

    if (FAILED(OleInitialize(nullptr))) {
        std::string text;
        if (!AhLoadString(IDS_OLE_INIT_FAILED, text)) text = "Unable to initialize OLE.";
        ShowFixedMessage(text.c_str(), MB_OK);
        return FALSE;
    }
    m_oleStarted = true;

    SetRegistryKey(kCompany);

    const char* libraryName = languageLibraryName();
    resourceLibrary = LoadLibraryA(libraryName);
    if (resourceLibrary == nullptr) resourceLibrary = LoadLibraryA((moduleDirectory + libraryName).c_str());
    if (resourceLibrary == nullptr) {
        const DWORD error = GetLastError();
        char text[256];
        std::snprintf(text, sizeof text, "Load %s failed.\nReturn code was:%i", libraryName, static_cast<int>(error));
        ShowFixedMessage(text, MB_ICONERROR);
        return FALSE;
    }
    SetResourceModule(resourceLibrary);
    AhSetResourceHandle(resourceLibrary);

    // The guide is one HTML folder beside the program, in English for every
    // language for now.
    m_helpFolder = GuideFolderBesideProgram();
    CSplashWnd::EnableSplashScreen(true);

    appIcon = static_cast<HICON>(
        LoadImageA(nullptr, (moduleDirectory + "Vantrel.ico").c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
    if (appIcon == nullptr) {
        ShowFixedMessage("Unable to get icon.", MB_OK);
        return FALSE;
    }

    trayMenu = LoadMenuA(resourceLibrary, MAKEINTRESOURCEA(IDR_TRAY_MENU));
    if (trayMenu == nullptr) return FALSE;
    HMENU popup = GetSubMenu(trayMenu, 0);
    if (popup == nullptr) return FALSE;
    // Nobody is logged in yet.
    const UINT loggedInOnly[] = {ID_CHANGE_PASSWORD, ID_USERS, ID_OPEN_DESIGNER, ID_DELETE_MENU};
    trimTrayMenu(popup, loggedInOnly, 4);
    trayPopup = popup;

    InitCommonControlsOnce();
    designerCursor = LoadCursorA(resourceLibrary, MAKEINTRESOURCEA(IDC_DESIGNER_DRAG));

    mainFrame = new CMainFrame;
    if (!mainFrame->Create()) {
        delete mainFrame;
        mainFrame = nullptr;
        return FALSE;
    }
    m_mainWnd = mainFrame;
    return TRUE;
}

int CVantrelApp::ExitInstance()
{
    // The frame's window is gone; its object goes before the services it used.
    delete mainFrame;
    mainFrame = nullptr;
    m_mainWnd = nullptr;
    SetResourceModule(nullptr);
    AhSetResourceHandle(nullptr);
    if (resourceLibrary != nullptr) {
        FreeLibrary(resourceLibrary);
        resourceLibrary = nullptr;
    }
    if (instanceMutex != nullptr) {
        ReleaseMutex(instanceMutex);
        CloseHandle(instanceMutex);
        instanceMutex = nullptr;
    }
    if (m_oleStarted) {
        OleUninitialize();
        m_oleStarted = false;
    }
    if (m_timerStarted) {
        UninitializeTimer();
        m_timerStarted = false;
    }
    if (appIcon != nullptr) {
        DestroyIcon(appIcon);
        appIcon = nullptr;
    }
    trayPopup = nullptr;
    if (trayMenu != nullptr) {
        DestroyMenu(trayMenu);
        trayMenu = nullptr;
    }
    return CWinApp::ExitInstance();
}

std::string CVantrelApp::getProfileText(const char* section, const char* entry, const char* defaultValue) const
{
    return GetProfileString(section, entry, defaultValue);
}

std::string CVantrelApp::toModuleRelative(const std::string& path) const
{
    return ::toModuleRelative(moduleDirectory, path);
}

std::string CVantrelApp::resolveModuleRelative(const std::string& path) const
{
    return ::resolveModuleRelative(moduleDirectory, path);
}
