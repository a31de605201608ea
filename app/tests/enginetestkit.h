// What the tests of the worker's login and start-up share: the English
// language library as the program would load it, the two-user "Office" menu
// file, and a frame that records what the worker tells it.
#pragma once

#include "app/hookqueue.h"
#include "app/tests/workertestkit.h"
#include "app/processthread.h"
#include "app/vantrelapp.h"
#include "accounts/accountfile.h"
#include "ahcommon/ahsystem.h"
#include "ahcommon/threadtimer.h"
#include "app/appmessages.h"
#include "framework/window.h"
#include "menudoc/menudocument.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

// Starts the thread timers and installs vnEng.dll as the resource library
// under the registry key `company`; call from SetUpTestSuite.
inline void UseEnglishResources(const char* company)
{
    InitializeTimer();
    HMODULE module = LoadLibraryA("vnEng.dll");
    ASSERT_NE(module, nullptr);
    CVantrelApp* app = VantrelApp();
    app->resourceLibrary = module;
    SetResourceModule(module);
    AhSetResourceHandle(module);
    app->SetRegistryKey(company);
}

// A menu file with the menu "Office" for "writer" (password "w1") and
// "reader" ("r1"): "Plain" types `plainKeys`, "Secret" types "s3cret"
// enciphered with `itemKey`, so a wrong key shows.
inline void WriteOfficeMenuFile(const std::string& path, const char* itemKey, const char* plainKeys = "")
{
    CMenuDocument doc;
    CMenuList* root = doc.newMenu(nullptr);
    root->isRoot = 1;
    CMenuItem* plain = root->appendNew(0);
    plain->caption = "Plain";
    plain->keystrokes = plainKeys;
    CMenuItem* secret = root->appendNew(0);
    secret->caption = "Secret";
    secret->keystrokes = "s3cret";
    secret->keysEnciphered = 1;
    const std::string body = root->toBody(ItemKey(itemKey));
    doc.deleteMenu(root);

    CAccountFile file;
    ASSERT_TRUE(file.create(path, "Office"));
    file.deleteRecord("Office");
    file.addRecord("Office", body);
    file.currentRecord()->users = {CUserEntry("writer", "w1", "rw"), CUserEntry("reader", "r1", "r")};
    ASSERT_TRUE(file.save());
    file.close();
}

// Stands for the main frame: a window that records the messages the worker
// posts to it and the requests the worker makes.
class RecordingFrame : public CWnd, public ProcessThreadOwner {
public:
    CHookEventQueue queue;
    std::vector<UINT> notices;  // FM_SHOW_NOTICE: string id, then box style
    std::vector<UINT> commands;
    std::atomic<int> loginRequests{0};
    std::atomic<int> logoutRequests{0};
    std::atomic<bool> dialog{false};

    void startHookReports() override {}
    bool dequeueHookEvent(HookMouseEvent& event) override { return queue.dequeue(event); }
    HWND frameWindow() const override { return m_hWnd; }
    bool dialogOpen() const override { return dialog; }
    void requestLogin() override { ++loginRequests; }
    void requestLogout() override { ++logoutRequests; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == FM_SHOW_NOTICE) {
            notices.push_back(static_cast<UINT>(wParam));
            notices.push_back(static_cast<UINT>(lParam));
            return 1;
        }
        if (message == WM_COMMAND) {
            commands.push_back(LOWORD(wParam));
            return 0;
        }
        return CWnd::OnMessage(message, wParam, lParam);
    }
};

