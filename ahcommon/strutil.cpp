#include "strutil.h"

#include <cmath>
#include <cstdarg>
#include <climits>
#include <cstring>

namespace {

// The next non-empty piece of `text` from `pos`, advancing `pos` past it.
bool NextPiece(const std::string& text, std::string::size_type& pos, const char* delimiters,
               std::string& piece)
{
    const auto begin = text.find_first_not_of(delimiters, pos);
    if (begin == std::string::npos) {
        pos = text.size();
        return false;
    }
    auto end = text.find_first_of(delimiters, begin);
    if (end == std::string::npos) end = text.size();
    piece.assign(text, begin, end - begin);
    pos = end;
    return true;
}

// Float to int by truncation, saturating instead of overflowing.
int TruncateToInt(double value)
{
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace

int StrPrintf(std::string& text, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
#ifdef _WIN32
    // The system runtime's own formatting, so its size prefixes (I64) and
    // wide-string conversions behave as every other caller of it expects.
    const int length = _vscprintf(format, measure);
#else
    const int length = std::vsnprintf(nullptr, 0, format, measure);
#endif
    va_end(measure);
    if (length < 0) {
        va_end(args);
        text.clear();
        return length;
    }
    text.assign(static_cast<std::string::size_type>(length) + 1, '\0');
#ifdef _WIN32
    const int written = _vsnprintf(&text[0], text.size(), format, args);
#else
    const int written = std::vsnprintf(&text[0], text.size(), format, args);
#endif
    va_end(args);
    // The text ends at its first NUL; a %c of 0 may end it early.
    text.resize(std::strlen(text.c_str()));
    return written;
}

int SplitString(std::string text, std::list<std::string>& tokens, const std::string& delimiters)
{
    tokens.clear();
    std::string::size_type pos = 0;
    std::string piece;
    while (NextPiece(text, pos, delimiters.c_str(), piece)) tokens.push_back(piece);
    return 1;
}

bool PairString(const std::string& text, std::string& first, std::string& second,
                const char* delimiters)
{
    std::string::size_type pos = 0;
    if (!NextPiece(text, pos, delimiters, first)) return false;
    return NextPiece(text, pos, delimiters, second);
}

bool GetLine(FILE* stream, std::string& line)
{
    if (std::feof(stream)) return false;
    line.clear();
    for (;;) {
        const int c = std::fgetc(stream);
        if (c == EOF) return !line.empty();
        if (c == '\n') return true;
        if (c != '\r') line += static_cast<char>(c);
    }
}

void SplitFloat(float value, int* tenThousands, int* thousands, int* hundreds, int* tens,
                int* units, int* tenths, int* hundredths)
{
    int n = TruncateToInt(value);
    *tenThousands = n / 10000;
    n -= *tenThousands * 10000;
    *thousands = n / 1000;
    n -= *thousands * 1000;
    *hundreds = n / 100;
    n -= *hundreds * 100;
    *tens = n / 10;
    *units = n - *tens * 10;
    // Single-precision product, as the digits of a float are expected to be.
    const int f = TruncateToInt(static_cast<float>(value * 100.0f)) % 100;
    *tenths = f / 10;
    *hundredths = f - *tenths * 10;
}
