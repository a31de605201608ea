// Menu files hold texts in the Windows code page; JSON holds UTF-8. The tool
// maps between them through Windows-1252, which gives every byte a
// character of its own, so that any text survives a dump and a build.
#pragma once

#include <string>

std::string Cp1252ToUtf8(const std::string& bytes);
// False when `text` holds a character Windows-1252 has not.
bool Utf8ToCp1252(const std::string& text, std::string& bytes);
