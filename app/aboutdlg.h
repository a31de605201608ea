// The About box: the program's name, icon and version.
#pragma once

#include "framework/dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

protected:
    BOOL OnInitDialog() override;
};

// The program's version from its version resource, as "1.0.0"; empty when
// it has none.
std::string programVersion();
