// Start-up choices that need no window: the language library for the system
// language, menu-file paths relative to the program folder,
// and the range of the idle time-out.
#pragma once

#include <windows.h>

#include <string>

// Reads the system's default language; tests replace it.
extern LANGID(WINAPI* g_systemLanguage)();

// The language library for the system's language: Chinese (Taiwan) and
// Chinese (PRC) get their own; every other language, other Chinese locales
// included, gets English.
const char* languageLibraryName();

// The rest of `path` when it lies inside `moduleDirectory` (which ends with
// a backslash; compared without regard to case), else `path` unchanged.
std::string toModuleRelative(const std::string& moduleDirectory, const std::string& path);
// `moduleDirectory` + `path` when that names an existing file, else `path`.
std::string resolveModuleRelative(const std::string& moduleDirectory, const std::string& path);

// Minutes of the idle time-out as every reader takes them: 0 to 99.
int clampAutoLogoutMinutes(int minutes);
