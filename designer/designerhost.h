// What the designer window needs of the program around it: the login it
// edits, messages, the program icon, the tray animation and the worker's
// reload after a save. The program supplies one; the tests supply one that
// records the messages and answers the questions.
#pragma once

#include "accounts/dialoghost.h"

#include <windows.h>

#include <string>

class CDesignerHost {
public:
    virtual LoginValues currentLogin() const = 0;
    virtual std::string resolveModuleRelative(const std::string& path) const = 0;
    virtual HICON programIcon() const = 0;
    // As CDialogHost::showMessage: string `stringId` with its "%s" filled,
    // in a message box of `style`; the button chosen.
    virtual int showMessage(HWND owner, UINT stringId, UINT style, const std::string& first,
                            const std::string& second) = 0;
    virtual void dialogShown(HWND dialog, bool animate) = 0;
    virtual void dialogClosing(HWND dialog, bool animate) = 0;
    // The menu was saved: the run-time menus load it again.
    virtual void reloadMenus() = 0;

protected:
    ~CDesignerHost() = default;
};
