// The running program's path for the ANSI file functions the program uses
// everywhere else. Header-only, so that the framework can use it without
// linking the runtime library.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace modulefile_detail {

// `text` in the system's ANSI code page; `lossless` says whether every
// character had its own code there.
inline std::string ToAnsi(const std::wstring& text, bool& lossless)
{
    lossless = false;
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    // Under a UTF-8 code page every character has its bytes, and the
    // conversion refuses the "used default" question.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* askDefault = utf8 ? nullptr : &usedDefault;
    const int size = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, askDefault);
    if (size <= 0) return std::string();
    std::string ansi(static_cast<std::string::size_type>(size), '\0');
    if (WideCharToMultiByte(CP_ACP, flags, text.data(), length, &ansi[0], size, nullptr, askDefault) != size)
        return std::string();
    lossless = !usedDefault;
    return ansi;
}

}  // namespace modulefile_detail

// `path` for the ANSI file functions. A path the code page cannot carry, such
// as a folder under a Chinese user name on a Western system, comes as its
// short form, which is ASCII and names the same file; a file not made yet
// keeps its own name after its folder's short form. Only where the volume
// keeps no short names does the path stay lossy.
inline std::string AnsiPath(const std::wstring& path)
{
    bool lossless = false;
    const std::string ansi = modulefile_detail::ToAnsi(path, lossless);
    if (lossless) return ansi;

    // The short form of what exists: the whole path, else its folder.
    std::wstring existing = path, rest;
    for (int tries = 0; tries < 2; ++tries) {
        const DWORD needed = GetShortPathNameW(existing.c_str(), nullptr, 0);
        if (needed > 0) {
            std::vector<wchar_t> shortPath(needed);
            const DWORD got = GetShortPathNameW(existing.c_str(), shortPath.data(), needed);
            if (got > 0 && got < needed) {
                bool shortLossless = false, restLossless = true;
                const std::string shortAnsi =
                    modulefile_detail::ToAnsi(std::wstring(shortPath.data(), got), shortLossless);
                const std::string restAnsi = rest.empty() ? std::string() : modulefile_detail::ToAnsi(rest, restLossless);
                if (shortLossless && restLossless) return shortAnsi + restAnsi;
            }
        }
        const auto slash = existing.find_last_of(L"\\/");
        if (slash == std::wstring::npos || slash == 0) break;
        rest = existing.substr(slash) + rest;
        existing.erase(slash);
    }
    return ansi;
}

// The full path of `module` (null: the program) in the ANSI code page, as
// `AnsiPath` gives it.
inline std::string ModuleFileNameAnsi(HMODULE module = nullptr)
{
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD length = 0;
    for (;;) {
        length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::string();
        if (length < buffer.size()) break;
        buffer.resize(buffer.size() * 2);
    }
    return AnsiPath(std::wstring(buffer.data(), length));
}
