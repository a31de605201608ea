// Rules on the users of one menu record that hold however its users are
// edited.
#pragma once

#include <list>
#include <string>

#include "accounts/accountfile.h"

// A user with these rights may change the menu and its users.
bool HasWriteRights(const std::string& rights);

// True when deleting the user `userName` (`newRights` null) or giving it
// `newRights` would leave a record's `users` with nobody who can log in
// with write rights, so that nobody could edit the menu or its users again. The user
// is the first entry of exactly that name, the one deleteUser and findUser
// act on; an entry whose password is damaged cannot log in and does not
// count as a writer. A name that is not there changes nothing: false.
bool RemovesLastWriter(const std::list<CUserEntry>& users, const std::string& userName, const std::string* newRights);
