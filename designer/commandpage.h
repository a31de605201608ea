// The command item page (template 141): what the item opens (target and
// parameters) and the shell command it runs with its argument.
#pragma once

#include "designer/itempage.h"

class CCommandPage : public CItemPage {
public:
    CCommandPage();

    void reload() override;
    void updateEnabling() override;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void OnShellCommandChosen();
    // The chosen program goes into the target field, which stores it.
    void OnBrowseProgram();
};
