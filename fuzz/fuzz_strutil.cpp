// The library's text helpers on any bytes: splitting and pairing against
// what their callers rely on, lines read from a stream, formatting into a
// string, the digits of any float, and hexadecimal text both ways.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <string>
#include <vector>

#include "ahcommon/packet.h"
#include "ahcommon/strutil.h"

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

// The non-empty runs of `text` between characters of `delimiters`.
std::vector<std::string> Pieces(const std::string& text, const std::string& delimiters)
{
    std::vector<std::string> pieces;
    std::string piece;
    for (char c : text) {
        if (delimiters.find(c) == std::string::npos) {
            piece += c;
        } else if (!piece.empty()) {
            pieces.push_back(piece);
            piece.clear();
        }
    }
    if (!piece.empty()) pieces.push_back(piece);
    return pieces;
}

void CheckSplitting(const std::string& text, const std::string& delimiters)
{
    const std::vector<std::string> expected = Pieces(text, delimiters);
    std::list<std::string> tokens{"stale"};
    Require(SplitString(text, tokens, delimiters) == 1);
    Require(std::vector<std::string>(tokens.begin(), tokens.end()) == expected);

    std::string first, second;
    const bool paired = PairString(text, first, second, delimiters.c_str());
    Require(paired == (expected.size() >= 2));
    if (!expected.empty()) Require(first == expected[0]);
    if (paired) Require(second == expected[1]);
}

void CheckLines(const std::string& text)
{
    std::vector<std::string> expected;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            expected.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    if (!line.empty()) expected.push_back(line);

    std::string copy = text;  // fmemopen wants a writable buffer
    FILE* stream = fmemopen(copy.empty() ? nullptr : &copy[0], copy.size(), "r");
    if (stream == nullptr) {
        // glibc refuses a size of 0 with no buffer; an empty file reads no line.
        Require(text.empty());
        return;
    }
    std::vector<std::string> lines;
    while (GetLine(stream, line)) lines.push_back(line);
    const std::string last = line;
    Require(!GetLine(stream, line) && line == last);  // at end: untouched
    std::fclose(stream);
    Require(lines == expected);
}

void CheckFormatting(const std::string& text, int number)
{
    std::string formatted;
    const int n = StrPrintf(formatted, "%s", text.c_str());
    Require(n == static_cast<int>(std::strlen(text.c_str())) && formatted == text.c_str());

    char expected[256];
    const int width = static_cast<int>(static_cast<unsigned>(number) % 40);
    std::snprintf(expected, sizeof expected, "[%*.*s|%d|%08X|%c|%.3f]", width, width, text.c_str(), number,
                  static_cast<unsigned>(number), static_cast<char>(number | 1), number / 7.0);
    Require(StrPrintf(formatted, "[%*.*s|%d|%08X|%c|%.3f]", width, width, text.c_str(), number,
                      static_cast<unsigned>(number), static_cast<char>(number | 1), number / 7.0) ==
            static_cast<int>(std::strlen(expected)));
    Require(formatted == expected);
}

void CheckDigits(float value)
{
    int digits[7];
    SplitFloat(value, &digits[0], &digits[1], &digits[2], &digits[3], &digits[4], &digits[5], &digits[6]);
    for (int i = 1; i < 7; ++i) Require(digits[i] > -10 && digits[i] < 10);
    if (std::fabs(value) < 100000.0f) {
        const int whole = static_cast<int>(value);
        Require(digits[0] * 10000 + digits[1] * 1000 + digits[2] * 100 + digits[3] * 10 + digits[4] == whole);
    }
}

void CheckHex(const std::string& bytes)
{
    const std::string text = Bit8ToBit16(bytes);
    Require(text.size() == 2 * bytes.size());
    Require(text.find_first_not_of("0123456789ABCDEF") == std::string::npos);
    Require(Bit16ToBit8(text) == bytes);

    // Any text: bytes only if every examined character is a hex digit.
    const std::string::size_type examined = bytes.size() / 2 * 2;
    const bool hex = bytes.find_first_not_of("0123456789abcdefABCDEF") >= examined;
    const std::string back = Bit16ToBit8(bytes);
    Require(back.size() == (hex ? examined / 2 : 0));
    if (hex) Require(Bit8ToBit16(back).size() == examined);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) return 0;
    // First byte: how many delimiter characters follow (0 to 3); the rest
    // is the text.
    const std::size_t count = std::min<std::size_t>(data[0] % 4, size - 1);
    std::string delimiters(reinterpret_cast<const char*>(data) + 1, count);
    const std::string text(reinterpret_cast<const char*>(data) + 1 + count, size - 1 - count);
    // The helpers take delimiters as a C string: a NUL ends them.
    delimiters.resize(std::strlen(delimiters.c_str()));

    CheckSplitting(text, delimiters);
    CheckLines(text);
    int number = 0;
    std::memcpy(&number, data, std::min(size, sizeof number));
    CheckFormatting(text, number);
    float value = 0;
    if (text.size() >= sizeof value) std::memcpy(&value, text.data(), sizeof value);
    CheckDigits(value);
    CheckHex(text);
    return 0;
}
