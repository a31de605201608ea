// The general item page (template 138): caption with its list of
// predefined captions, note, icon file, has submenu and separator.
#pragma once

#include "designer/itempage.h"

class CGeneralPage : public CItemPage {
public:
    CGeneralPage();

    void reload() override;
    void updateEnabling() override;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    // The captions of "Vantrel.ini" in the program folder go into the
    // caption combo's list.
    void FillPredefinedCaptions();
    void OnSeparatorClicked();
    void OnSubmenuClicked();
    void OnBrowseIcon();
};
