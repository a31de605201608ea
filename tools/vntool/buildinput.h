// The input of `vntool build`: a JSON description read into the menus it
// describes, each with its users and its body already made, without
// touching a file.
#pragma once

#include <string>
#include <vector>

#include "accounts/accountfile.h"
#include "codepage.h"

struct MenuSpec {
    std::string name;
    std::string shownName;  // as the description wrote it
    std::vector<CUserEntry> users;
    std::string body;
};

// Reads and checks the whole description `text`, texts stored in `page`.
// False with `error` saying why (too deeply nested, malformed JSON, or the
// place of the first wrong value), without the file's name.
bool ReadBuildInput(const std::string& text, const CodePage& page, std::vector<MenuSpec>& menus, std::string& error);
