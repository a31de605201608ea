// What the dialog tests share: a host that records the messages a dialog
// shows and answers its questions, scripts that drive a dialog (or a dialog
// it opens) once it is on screen, the English language library, a settings
// key of their own and menu files in a folder of their own.
#pragma once

#include "accounts/dialoghost.h"
#include "framework/winapp.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct ShownMessage {
    UINT id;
    UINT style;
    std::string first;
    std::string second;
};

class TestHost : public CDialogHost {
public:
    using Script = std::function<void(HWND)>;

    CWinApp& settings() override;
    std::string toModuleRelative(const std::string& path) const override;
    std::string resolveModuleRelative(const std::string& path) const override;
    bool loggedIn() const override { return isLoggedIn; }
    LoginValues currentLogin() const override { return login; }
    void setLoginAccount(const std::string& user, const std::string& password) override
    {
        login.user = user;
        login.password = password;
    }
    bool takeDecryptFailed() override;
    void setAutoLogoutMinutes(int minutes) override { autoLogoutMinutes = minutes; }
    HICON programIcon() const override { return nullptr; }
    int showMessage(HWND owner, UINT stringId, UINT style, const std::string& first,
                    const std::string& second) override;
    void dialogShown(HWND dialog, bool animate) override;
    void dialogClosing(HWND dialog, bool animate) override;
    // Stands in for the file-open dialog: takes the next of `chosenFiles`
    // ("" or none left: a cancel) and records where it would have started.
    bool chooseMenuFile(HWND owner, DWORD flags, std::string& path) override;

    // Runs for the next dialog that appears; a dialog the script leaves
    // open is cancelled afterwards.
    void Then(Script script) { scripts.push_back(std::move(script)); }
    // The ids of the messages shown so far, in order.
    std::vector<UINT> MessageIds() const;

    // Paths inside this folder are kept relative to it, as the program
    // does with its own folder; empty: paths stay as they are.
    std::string programFolder;
    bool isLoggedIn = false;
    LoginValues login;
    bool decryptFailed = false;
    int autoLogoutMinutes = -1;
    std::vector<ShownMessage> messages;
    std::deque<int> answers;  // for questions; IDOK when empty
    std::deque<Script> scripts;
    std::vector<HWND> closed;
    struct Browse {
        std::string start;
        DWORD flags;
    };
    std::deque<std::string> chosenFiles;
    std::vector<Browse> browses;
    int shownAnimated = 0;
};

// Driving controls.
void SetText(HWND dialog, int id, const std::string& text);
std::string Text(HWND dialog, int id);
void Click(HWND dialog, int id);
// Sets the box's state and tells the dialog it was clicked.
void ClickCheck(HWND dialog, int id, bool checked);
bool Checked(HWND dialog, int id);
bool HasFocus(HWND dialog, int id);

// The settings key of the tests: HKCU\Software\Vantrel Dialog Tests\DialogTests\Settings.
void ClearSettings();
bool SettingExists(const char* name);
std::string SettingText(const char* name);

// A folder of its own under the temporary folder, emptied by ClearFolder.
std::string TestFolder();
void ClearFolder();
std::string FileBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

struct TestUser {
    std::string name, password, rights;
};
struct TestMenu {
    std::string name;
    std::vector<TestUser> users;
};
// A menu file with these menus and users (replacing admin and guest).
void MakeMenuFile(const std::string& path, const std::vector<TestMenu>& menus);
