// Help opens the user guide: the HTML page for the help context, from the
// guide folder beside the program, in the default browser.
#pragma once

#include <windows.h>

#include <string>

enum class GuideOpenResult {
    Opened,     // the page, or the index in its place, went to the browser
    NoGuide,    // neither the page nor the index is in the folder
    NotOpened,  // the shell could not open it (no program for .html pages)
};

// The folder the program's guide lies in: <folder of the executable>\guide\.
std::wstring GuideFolderBesideProgram();

// The file that help for `page` opens: <folder><page>.html, or the folder's
// index.html when that page is missing; empty when both are. `folder` ends
// with a backslash.
std::wstring GuideFileFor(const std::wstring& folder, const char* page);

// Opens `page` of the guide in `folder` (see GuideFileFor) with the shell's
// default command for it, which for a page is the default browser.
GuideOpenResult OpenGuidePage(HWND owner, const std::wstring& folder, const char* page);

// Help on `context` (see helppages.h) from the application's guide folder;
// when the guide cannot be opened the user is told where it was expected.
void ShowHelp(HWND owner, unsigned long context);
// The guide's contents page.
void ShowHelpContents(HWND owner);

// Tells the user that the guide in `folder` could not be opened; tests
// replace it.
extern void (*g_guideNotOpened)(HWND owner, const std::wstring& folder);
