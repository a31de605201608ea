// The checks and the file dialog shared by the login and new-menu dialogs.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

enum class OpenTestResult { Opened, NotFound, BadPath, AccessDenied, OtherError };

// Opens the file for reading and writing while denying others the right to
// write, as saving it will, and closes it again.
OpenTestResult TryOpenMenuFile(const std::string& path);
// The error message string id for a result other than Opened.
UINT OpenTestMessage(OpenTestResult result);

// The file-open dialog for menu files with `flags` (OFN_...); `path` gives
// the starting file when it names an existing one and receives the choice.
bool BrowseMenuFile(HWND owner, DWORD flags, std::string& path);

// The digits of a two-digit minutes field as a number clamped to 0..99.
int MinutesFromText(const std::string& text);
int ClampMinutes(int minutes);
