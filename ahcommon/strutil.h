// Small string and stream helpers shared by the program and the INI reader.
#pragma once

#include <cstdio>
#include <list>
#include <string>

#include "ahexport.h"

extern "C" {

// printf into `text`, sized to fit; returns the count of characters written
// (negative on a bad format). `text` holds exactly the formatted characters.
AHCOMMON_API int StrPrintf(std::string& text, const char* format, ...) AH_PRINTF_FORMAT(2, 3);

// Replaces `tokens` with the non-empty pieces of `text` between any of the
// characters of `delimiters`. Always 1.
AHCOMMON_API int SplitString(std::string text, std::list<std::string>& tokens,
                             const std::string& delimiters);

// The first two non-empty pieces of `text`; true only if both exist.
// `first` may be set even when the result is false; later pieces are dropped.
AHCOMMON_API bool PairString(const std::string& text, std::string& first, std::string& second,
                             const char* delimiters);

// Reads one line ending at LF; every CR is dropped. False at end of file with
// nothing read, and without touching `line` when the stream is already at EOF.
AHCOMMON_API bool GetLine(FILE* stream, std::string& line);

// The decimal digits of `value` (truncated toward zero), from ten-thousands
// down to hundredths.
AHCOMMON_API void SplitFloat(float value, int* tenThousands, int* thousands, int* hundreds,
                             int* tens, int* units, int* tenths, int* hundredths);

}
