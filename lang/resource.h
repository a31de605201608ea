// Identifiers of every resource in the language libraries (vnEng, vnChs,
// vnCht). The program loads them by number from whichever library matches the
// system language, so these values must never change.
#pragma once

// Framework command and string ids. Guarded so that a framework header that
// defines the same names with the same values can be included in either order.
#ifndef ID_APP_ABOUT
#define ID_APP_ABOUT                57664
#endif
#ifndef ID_APP_EXIT
#define ID_APP_EXIT                 57665
#endif
#ifndef ID_HELP_FINDER
#define ID_HELP_FINDER              57667
#endif
#ifndef ID_HELP
#define ID_HELP                     57670
#endif
#ifndef ID_DEFAULT_HELP
#define ID_DEFAULT_HELP             57671
#endif
#ifndef ID_EDIT_COPY
#define ID_EDIT_COPY                57634
#endif
#ifndef ID_EDIT_CUT
#define ID_EDIT_CUT                 57635
#endif
#ifndef ID_EDIT_PASTE
#define ID_EDIT_PASTE               57637
#endif
#ifndef ID_EDIT_UNDO
#define ID_EDIT_UNDO                57643
#endif
#ifndef ID_EDIT_REDO
#define ID_EDIT_REDO                57644
#endif
// Idle prompt of a status bar, and prompts of the system commands:
// IDS_SC_BASE + (SC_xxx - 0xF000) / 16.
#define IDS_IDLE_PROMPT             0xE001
#define IDS_SC_BASE                 0xEF00
#define IDS_SC_SIZE                 0xEF00
#define IDS_SC_MOVE                 0xEF01
#define IDS_SC_MINIMIZE             0xEF02
#define IDS_SC_MAXIMIZE             0xEF03
#define IDS_SC_NEXTWINDOW           0xEF04
#define IDS_SC_PREVWINDOW           0xEF05
#define IDS_SC_CLOSE                0xEF06
#define IDS_SC_RESTORE              0xEF12
#define IDS_SC_TASKLIST             0xEF13
#ifndef IDC_STATIC
#define IDC_STATIC                  (-1)
#endif
// Child ids of frame-like windows.
#define IDW_STATUS_BAR              0xE801
#define IDW_PANE_FIRST              0xE900

// Menus.
#define IDR_TRAY_MENU               134     // tray menu: its first submenu is the pop-up
#define IDR_DESIGNER_MENU           102     // designer's menu bar (named like its dialog)

// Accelerators, cursor, bitmaps.
#define IDR_DESIGNER_ACCEL          6003
#define IDC_DESIGNER_DRAG           6000    // cursor: dragging an item over a panel
#define IDB_SPLASH                  6001
#define IDB_PALETTE_TOOLBAR         6002    // images: pin, pin pressed, help

// Tray-menu commands.
#define ID_OPEN_DESIGNER            32777
#define ID_ENABLE_MENU              32778
#define ID_NEW_FILE                 32780
#define ID_LOGIN                    32781
#define ID_USERS                    32789
#define ID_CHANGE_PASSWORD          32790
#define ID_DELETE_MENU              32791

// Designer commands.
#define ID_NEW_ITEM                 32782
#define ID_DELETE_ITEM              32783
#define ID_ITEM_PROPERTIES          32784
#define ID_DESIGNER_CLOSE           32785
#define ID_DESIGNER_SAVE            32786

// Users dialog commands.
#define ID_USER_ADD                 32788
#define ID_USER_DELETE              32792
#define ID_USER_EDIT                32793
#define ID_USER_PASSWORD            32794
#define ID_USERS_CLOSE              32795

// Property palette toolbar.
#define ID_PALETTE_PIN              32796
#define ID_PALETTE_HELP             32797

// Dialog templates.
#define IDD_ABOUT                   100
#define IDD_DESIGNER                102
#define IDD_GENERAL_PAGE            138
#define IDD_KEYS_PAGE               140
#define IDD_COMMAND_PAGE            141
#define IDD_NEW_MENU_FILE           142
#define IDD_LOGIN                   143
#define IDD_USERS                   145
#define IDD_CHANGE_PASSWORD         147
#define IDD_NEW_USER                148
#define IDD_USER_PROPERTIES         149
#define IDD_SET_PASSWORD            150

// About box (100).
#define IDC_ABOUT_VERSION           1040    // static: "Version x.y.z"
#define IDC_ABOUT_ICON              1041    // static icon, set by the program

// General page (138).
#define IDC_GENERAL_SEPARATOR       1004    // check box
#define IDC_GENERAL_SUBMENU         1005    // check box
#define IDC_GENERAL_CAPTION         1008    // combo box with edit field
#define IDC_GENERAL_ICON_BROWSE     1011    // button
#define IDC_GENERAL_ICON_FILE       1013    // edit
#define IDC_GENERAL_NOTE            1015    // edit

// Keys page (140).
#define IDC_KEYS_ENCIPHER           1006    // check box
#define IDC_KEYS_TEXT               1012    // multi-line edit
#define IDC_KEYS_PRESS_ENTER        1014    // check box

// Command page (141).
#define IDC_COMMAND_BROWSE          1011    // button
#define IDC_COMMAND_TARGET          1013    // edit
#define IDC_COMMAND_PARAMETERS      1014    // edit
#define IDC_COMMAND_ARGUMENT        1015    // edit
#define IDC_COMMAND_SHELL           1030    // drop-down list, unsorted

// New menu file (142).
#define IDC_NEWFILE_BROWSE          1000    // button
#define IDC_NEWFILE_PATH            1001    // edit
#define IDC_NEWFILE_MENU_NAME       1021    // edit
#define IDC_NEWFILE_PASSWORD        1022    // edit, password
#define IDC_NEWFILE_USER            1023    // edit

// Login (143).
#define IDC_LOGIN_BROWSE            1000    // button
#define IDC_LOGIN_USER              1001    // edit
#define IDC_LOGIN_MENU_LIST         1003    // list box
#define IDC_LOGIN_PASSWORD          1006    // edit, password
#define IDC_LOGIN_AUTO_ENTER        1014    // check box
#define IDC_LOGIN_ITEM_KEY          1023    // edit, password
#define IDC_LOGIN_FILE              1025    // edit
#define IDC_LOGIN_REMEMBER_KEY      1026    // check box
#define IDC_LOGIN_REMEMBER_PASSWORD 1027    // check box
#define IDC_LOGIN_MINUTES           1037    // edit, two digits
#define IDC_LOGIN_MINUTES_SPIN      1038    // up-down, buddy of 1037

// Change password (147) and set password (150).
#define IDC_NEW_PASSWORD            1001    // edit, password
#define IDC_CONFIRM_PASSWORD        1002    // edit, password
#define IDC_SETPW_USER_NAME         1035    // static

// New user (148) and user properties (149).
#define IDC_USER_NAME               1001    // edit
#define IDC_USER_PASSWORD           1032    // edit, password
#define IDC_USER_READ_ONLY          1033    // check box
#define IDC_USER_PASSWORD_AGAIN     1034    // edit, password

// Property palette's tab-scroll buttons, created by the program.
#define IDC_PALETTE_SCROLL_LEFT     1043
#define IDC_PALETTE_SCROLL_RIGHT    1044

// Strings.
#define IDS_ASK_CREATE_FILE         102     // the file does not exist: create it?
#define IDS_BAD_PATH                103
#define IDS_ACCESS_DENIED           104
#define IDS_FILE_OPEN_FAILED        105
#define IDS_MENU_NAME_EMPTY         106
#define IDS_ASK_EMPTY_PASSWORD      107
#define IDS_CREATE_FILE_FAILED      108
#define IDS_MENU_CREATED            109
#define IDS_LOAD_FILE_FAILED        110     // %s = file path
#define IDS_MENU_EXISTS             111
#define IDS_FILE_NOT_FOUND          112
#define IDS_NO_MENU_SELECTED        113
#define IDS_MENU_NOT_FOUND          114
#define IDS_LOGIN_REFUSED           115
#define IDS_ASK_REMEMBER_KEY        116
#define IDS_MENU_LOGIN              117     // tray item text while logged out
#define IDS_MENU_LOGOUT             118     // tray item text while logged in
#define IDS_NEW_USER_PASSWORD_DIFF  119
#define IDS_OLE_INIT_FAILED         120
#define IDS_WRONG_ITEM_KEY          121
#define IDS_ASK_DELETE_SUBMENU      58117   // %s = item caption
#define IDS_PASSWORD_DIFF           58118
#define IDS_UPDATE_FILE_FAILED      58119   // %s = file path
#define IDS_USER_NAME_EMPTY         58120
#define IDS_ASK_DELETE_MENU         58121   // %s = file path, then %s = menu name
#define IDS_USERS_COLUMN_NAME       58122
#define IDS_USERS_COLUMN_RIGHTS     58123
#define IDS_USER_EXISTS             58124   // %s = user name
#define IDS_ADMIN_LOCKED            58125
#define IDS_PALETTE_TITLE           58126
#define IDS_ITEM_KEY_TOO_LONG       58131
#define IDS_ASK_SAVE_CHANGES        58133
#define IDS_USER_NAME_TOO_SHORT     58135
#define IDS_LAST_WRITER             58136   // %s = user name
#define IDS_ASK_DELETE_USER         58137   // %s = user name
#define IDS_TYPING_REFUSED          58138
#define IDS_TYPING_WINDOW_GONE      58139
#define IDS_TYPING_FAILED           58140
#define IDS_DESIGNER_LOAD_FAILED    58141   // %s = menu name, then %s = file path
#define IDS_ASK_OVERWRITE_MENU      58142   // %s = menu name, then %s = file path
#define IDS_DESIGNER_LOGIN_STALE    58143   // %s = menu name, then %s = file path
#define IDS_DESIGNER_BAD_MENU       58144   // %s = menu name, then %s = file path
#define IDS_DESIGNER_READ_ONLY      58145   // %s = menu name
#define IDS_SAVE_FILE_READ_ONLY     58146   // %s = file path
#define IDS_GUIDE_NOT_OPENED        58147   // %s = folder of the guide
