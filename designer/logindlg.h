// The login dialog: a menu file, one of its menus, a user with password and
// an optional item key. It checks the login against the file, remembers the
// choices in the settings and leaves the five values for the caller.
#pragma once

#include "accounts/hosteddialog.h"
#include "designer/maskedit.h"

#include <string>

class CLoginDlg : public CHostedDialog {
public:
    explicit CLoginDlg(CDialogHost& host);

    // Filled when the dialog ended with IDOK.
    std::string menuName;
    std::string filePath;  // relative to the program folder when inside it
    std::string userName;
    std::string password;
    std::string itemKey;   // at most 9 characters

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void OnBrowse();
    void OnRememberKeyClicked();
    void OnAutoEnterClicked();
    bool PassesOpenTest(const std::string& path);
    // Fills the menu list from the file; false (with the message shown)
    // when the file does not load.
    bool FillMenuList(const std::string& path, bool showFailure);
    int SpinPosition() const;
    void SetFocusTo(int id);

    CMaskEdit m_minutesEdit;
    int m_initialFocus = 0;
};

// The remembered item key as stored in the settings: the key enciphered
// under the program key in its padded form, as hexadecimal text; empty for
// an empty key.
std::string EncodeRememberedKey(const std::string& key);
// The reverse; empty when the value does not decipher.
std::string DecodeRememberedKey(std::string value);
