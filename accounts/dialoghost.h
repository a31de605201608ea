// What the login, menu and user dialogs need of the program around them:
// the settings, the current login, message boxes and the tray animation.
// The program supplies one; the tests supply one that records the messages
// and answers the questions.
#pragma once

#include <windows.h>

#include <string>

class CWinApp;

// The five values of a login.
struct LoginValues {
    std::string file;
    std::string menuName;
    std::string user;
    std::string password;
    std::string key;
};

class CDialogHost {
public:
    // The object whose profile functions keep the settings.
    virtual CWinApp& settings() = 0;
    // Menu-file paths inside the program folder are kept relative to it.
    virtual std::string toModuleRelative(const std::string& path) const = 0;
    virtual std::string resolveModuleRelative(const std::string& path) const = 0;

    virtual bool loggedIn() const = 0;
    virtual LoginValues currentLogin() const = 0;
    // The logged-in account now has this name and password in its menu
    // file; the login values take them, so that the session goes on
    // matching the file.
    virtual void setLoginAccount(const std::string& user, const std::string& password) = 0;
    // True once after a login whose item key could not decipher the menu.
    virtual bool takeDecryptFailed() = 0;
    virtual void setAutoLogoutMinutes(int minutes) = 0;
    virtual HICON programIcon() const = 0;

    // Shows string resource `stringId` with its first and second "%s"
    // replaced by `first` and `second`, in a message box of `style`;
    // returns the button chosen.
    virtual int showMessage(HWND owner, UINT stringId, UINT style, const std::string& first = std::string(),
                            const std::string& second = std::string()) = 0;

    // A dialog has appeared or is about to close; `animate` asks for the
    // flight to and from the notification area.
    virtual void dialogShown(HWND dialog, bool animate) = 0;
    virtual void dialogClosing(HWND dialog, bool animate) = 0;

    // The file-open dialog for menu files with `flags` (OFN_...); `path`
    // gives the starting file and receives the choice. This one shows the
    // system's dialog; tests answer in its place.
    virtual bool chooseMenuFile(HWND owner, DWORD flags, std::string& path);

protected:
    ~CDialogHost() = default;
};

// After the logged-in account was renamed or given a new password in its
// menu file: the host's login values take the new name and password, and
// so does the remembered login in the settings when it is this account
// (the password only when it is remembered), so that the next automatic
// login still matches.
void LoggedInAccountChanged(CDialogHost& host, const std::string& user, const std::string& password);

// The text of string resource `stringId` with its first and second "%s"
// replaced; the arguments are inserted as they are, never interpreted.
std::string FormatStringResource(UINT stringId, const std::string& first = std::string(),
                                 const std::string& second = std::string());
