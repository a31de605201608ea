#include "codepage.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "ahcommon/modulefile.h"

#include <climits>
#else
#include <iconv.h>

#include <cerrno>
#endif

namespace {

const CodePage kCodePages[] = {
    {1252, "Windows-1252"},
    {936, "code page 936"},
    {950, "code page 950"},
};

// Characters of the bytes 80 to 9F; the five bytes the code page leaves
// undefined keep their own values, as Windows maps them.
const unsigned kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, unsigned c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The character starting at text[at], moving `at` past it; false for
// anything but well-formed UTF-8 (no overlong forms, no surrogates).
bool NextCharacter(const std::string& text, std::string::size_type& at, unsigned& c)
{
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    int extra;
    unsigned least;
    if (lead < 0x80) {
        c = lead;
        extra = 0;
        least = 0;
    } else if ((lead & 0xE0) == 0xC0) {
        c = lead & 0x1F;
        extra = 1;
        least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        c = lead & 0x0F;
        extra = 2;
        least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        c = lead & 0x07;
        extra = 3;
        least = 0x10000;
    } else {
        return false;
    }
    if (text.size() - at <= static_cast<std::string::size_type>(extra)) return false;
    for (int k = 1; k <= extra; ++k) {
        const unsigned char next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) return false;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    at += extra + 1;
    return true;
}

int Cp1252Byte(unsigned c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c) return 0x80 + i;
    return -1;
}

#ifdef _WIN32

bool ToWide(UINT page, const std::string& in, std::wstring& out)
{
    out.clear();
    if (in.empty()) return true;
    if (in.size() > INT_MAX) return false;
    const int size = static_cast<int>(in.size());
    const int n = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in.data(), size, nullptr, 0);
    if (n <= 0) return false;
    out.resize(static_cast<std::wstring::size_type>(n));
    return MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in.data(), size, &out[0], n) == n;
}

bool FromWide(UINT page, const std::wstring& in, std::string& out)
{
    out.clear();
    if (in.empty()) return true;
    if (in.size() > INT_MAX) return false;
    const int size = static_cast<int>(in.size());
    // UTF-8 takes neither the best-fit flag nor the default-character check.
    const DWORD flags = page == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* used = page == CP_UTF8 ? nullptr : &usedDefault;
    const int n = WideCharToMultiByte(page, flags, in.data(), size, nullptr, 0, nullptr, used);
    if (n <= 0 || usedDefault) return false;
    out.resize(static_cast<std::string::size_type>(n));
    return WideCharToMultiByte(page, flags, in.data(), size, &out[0], n, nullptr, used) == n && !usedDefault;
}

bool Convert(unsigned from, unsigned to, const std::string& in, std::string& out)
{
    std::wstring wide;
    return ToWide(from == 0 ? CP_UTF8 : from, in, wide) && FromWide(to == 0 ? CP_UTF8 : to, wide, out);
}

#else

// glibc's names for the code pages; iconv is part of the C library.
std::string IconvName(unsigned number)
{
    return number == 0 ? std::string("UTF-8") : "CP" + std::to_string(number);
}

bool Convert(unsigned from, unsigned to, const std::string& in, std::string& out)
{
    out.clear();
    iconv_t cd = iconv_open(IconvName(to).c_str(), IconvName(from).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string source = in;
    char* inPtr = &source[0];
    std::size_t inLeft = source.size();
    bool ok = true;
    char buffer[512];
    // A last call with no input ends any shift state.
    for (bool flushing = false; ok;) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result =
            flushing ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft) : iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result == static_cast<std::size_t>(-1)) {
            // Only a full buffer is worth another round; a character that
            // has no equivalent or a cut sequence ends the conversion.
            ok = errno == E2BIG;
        } else if (result > 0) {
            ok = false;  // iconv counts conversions that were not exact
        } else if (flushing) {
            break;
        } else if (inLeft == 0) {
            flushing = true;
        }
    }
    iconv_close(cd);
    return ok;
}

#endif

const unsigned kUtf8 = 0;

// Converts and checks that the result converts back to the very input.
bool Exact(unsigned from, unsigned to, const std::string& in, std::string& out)
{
    std::string back;
    return Convert(from, to, in, out) && Convert(to, from, out, back) && back == in;
}

// The bytes of one character `c`, written `utf8`; false when the code page
// lacks it.
bool StoreCharacter(const CodePage& page, unsigned c, const std::string& utf8, std::string& stored)
{
    if (page.number != 1252) return Exact(kUtf8, page.number, utf8, stored);
    const int b = Cp1252Byte(c);
    if (b < 0) return false;
    stored.assign(1, static_cast<char>(b));
    return true;
}

std::string CharacterName(unsigned c)
{
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", c);
    return name;
}

}  // namespace

const CodePage& DefaultCodePage()
{
    return kCodePages[0];
}

const CodePage* FindCodePage(const std::string& number)
{
    for (const CodePage& page : kCodePages)
        if (number == std::to_string(page.number)) return &page;
    return nullptr;
}

std::string KnownCodePages()
{
    std::string known;
    const std::size_t count = sizeof kCodePages / sizeof kCodePages[0];
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) known += i + 1 == count ? " or " : ", ";
        known += std::to_string(kCodePages[i].number);
    }
    return known;
}

bool ToUtf8(const CodePage& page, const std::string& bytes, std::string& text, std::string& problem)
{
    text.clear();
    if (page.number == 1252) {
        text.reserve(bytes.size());
        for (unsigned char b : bytes) AppendUtf8(text, b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : b);
        return true;
    }
    // Bytes that would not be written back as themselves are refused, so
    // that a dump and a build never change a menu file behind one's back.
    if (!Exact(page.number, kUtf8, bytes, text)) {
        text.clear();
        problem = "holds bytes that are not text in " + std::string(page.name);
        return false;
    }
    return true;
}

bool FromUtf8(const CodePage& page, const std::string& text, std::string& bytes, std::string& problem)
{
    bytes.clear();
    if (page.number != 1252) {
        if (Exact(kUtf8, page.number, text, bytes)) return true;
        bytes.clear();
    }
    // Character by character: the way 1252 goes, and for the others the
    // way to name the character at fault.
    for (std::string::size_type at = 0; at < text.size();) {
        const std::string::size_type start = at;
        unsigned c;
        if (!NextCharacter(text, at, c)) {
            bytes.clear();
            problem = "is not UTF-8 text";
            return false;
        }
        std::string stored;
        if (!StoreCharacter(page, c, text.substr(start, at - start), stored)) {
            bytes.clear();
            problem = "holds a character that " + std::string(page.name) + " cannot store (" + CharacterName(c) + ")";
            return false;
        }
        bytes += stored;
    }
    if (page.number == 1252) return true;
    // Every character maps on its own, yet the whole did not.
    bytes.clear();
    problem = "cannot be stored in " + std::string(page.name);
    return false;
}

#ifdef _WIN32

bool CommandLineArguments(int, char**, std::vector<std::string>& paths, std::vector<std::string>& texts)
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return false;
    bool ok = true;
    for (int i = 0; i < count && ok; ++i) {
        const std::wstring argument(wide[i]);
        std::string text, path;
        ok = FromWide(CP_UTF8, argument, text);
        // Paths go to the ANSI file calls; a folder the code page cannot
        // carry goes by its short name.
        if (ok && !argument.empty()) {
            path = AnsiPath(argument);
            ok = !path.empty();
        }
        texts.push_back(text);
        paths.push_back(path);
    }
    LocalFree(wide);
    return ok;
}

#else

bool CommandLineArguments(int argc, char** argv, std::vector<std::string>& paths, std::vector<std::string>& texts)
{
    paths.assign(argv, argv + argc);
    texts = paths;
    return true;
}

#endif
