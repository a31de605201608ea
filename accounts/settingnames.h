// The program's settings: values of the registry section below the program's
// key (HKEY_CURRENT_USER\Software\Amber Heron, Inc\Vantrel). The names are
// stored on users' machines and must not change.
#pragma once

namespace settings {

const char kSection[] = "Settings";

const char kEnable[] = "Enable";                // 1: the menus attach to pop-ups (tray command), 0: off
const char kFile[] = "File";                    // the remembered menu file, relative to the program folder inside it
const char kMenuName[] = "Vantrel";             // the remembered menu name
const char kUser[] = "User";                    // the remembered user name
const char kPassword[] = "Password";            // the remembered password, when Remember is 1
const char kItemKey[] = "Des";                  // the remembered item key, enciphered (hexadecimal)
const char kRemember[] = "Remember";            // 1: the password is remembered
const char kRememberKey[] = "DesRemember";      // 1: the item key is remembered
const char kAutoEnter[] = "AutoEnter";          // 1: log in at start-up with the remembered values
const char kAutoLogoutMinutes[] = "AutoLogoutMin";  // idle minutes before logging out, 0 to 99 (0: never)

}  // namespace settings
