// Which page of the HTML user guide a help context opens. Help is asked for
// by context number: 0x20000 + the resource id of the window the help is
// about (a dialog's template, or the program's icon for the program as a
// whole). The guide ships as <page>.html files in one folder beside the
// program.
#pragma once

#include <vector>

constexpr unsigned long kHelpContextBase = 0x20000;

constexpr unsigned long HelpContextOf(unsigned resourceId)
{
    return kHelpContextBase + resourceId;
}

// The program as a whole (the tray's Help): the help of its icon, 6003.
constexpr unsigned long kHelpContextProgram = HelpContextOf(6003);

// The guide's contents page, opened for Help Topics and for any context the
// guide has no page of.
constexpr const char kGuideIndexPage[] = "index";

// The page name (no folder, no extension) for `context`.
const char* HelpPageFor(unsigned long context);

// Every page the table can give, the index among them, each once.
std::vector<const char*> HelpPages();
