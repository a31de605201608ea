// Menu files hold texts in a Windows code page; JSON and the command line
// hold UTF-8. Both directions are strict: a text that would not come back
// as the same bytes or characters is refused, never altered, so that a dump
// followed by a build gives the menu file's bytes back.
#pragma once

#include <string>
#include <vector>

struct CodePage {
    unsigned number;
    const char* name;  // as messages call it, e.g. "code page 936"
};

// Windows-1252 gives every byte a character of its own, so any stored
// text survives a dump and a build whatever code page wrote it.
const CodePage& DefaultCodePage();
// The code page written as `number` ("1252", "936", "950"), or null when it
// is not one the tool carries.
const CodePage* FindCodePage(const std::string& number);
// The numbers FindCodePage knows, for messages: "1252, 936 or 950".
std::string KnownCodePages();

// The bytes as UTF-8; false with `problem` set when they are not text in
// the code page.
bool ToUtf8(const CodePage& page, const std::string& bytes, std::string& text, std::string& problem);
// The UTF-8 text as bytes; false with `problem` set when it is not UTF-8 or
// holds a character the code page lacks (which one is named).
bool FromUtf8(const CodePage& page, const std::string& text, std::string& bytes, std::string& problem);

// The program's arguments twice: `paths` as the file calls take them and
// `texts` in UTF-8. They differ on Windows only, where the runtime passes
// the arguments in the ANSI code page, which lacks most characters; both
// are read from the wide command line there.
bool CommandLineArguments(int argc, char** argv, std::vector<std::string>& paths, std::vector<std::string>& texts);
