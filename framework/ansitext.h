// Stored texts (menu captions, user names) are bytes in the system's ANSI
// code page. They are drawn and measured as UTF-16 converted from that code
// page: the byte-string GDI calls would convert through the font's character
// set instead, which differs from the system code page whenever the menu font
// was made for another script.
#pragma once

#include <windows.h>

#include <string>

// The UTF-16 form of `text` read in the system's ANSI code page.
std::wstring AnsiToWide(const std::string& text);

// DrawTextW of the converted text.
int DrawAnsiText(HDC dc, const std::string& text, RECT& rect, UINT format);
// The width of the converted text in the DC's font; 0 when it cannot be had.
long AnsiTextWidth(HDC dc, const std::string& text);
