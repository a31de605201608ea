// The keystrokes item page (template 140): the text typed into the
// right-clicked window, whether Enter follows it and whether it is kept
// enciphered. Ctrl+Enter starts a new line in the text instead of ending
// the edit as Enter does.
#pragma once

#include "designer/itempage.h"

class CKeysPage : public CItemPage {
public:
    CKeysPage();

    void reload() override;
    void updateEnabling() override;

    bool PreTranslateMessage(MSG* msg) override;

protected:
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    // Stores a check box's state in a flag of the item.
    void OnFlagClicked(int controlId, int changeType, int CMenuItem::*flag);
};
