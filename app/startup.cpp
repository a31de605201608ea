#include "app/startup.h"

LANGID(WINAPI* g_systemLanguage)() = &GetSystemDefaultLangID;

namespace {

const LANGID kChineseTaiwan = 1028;
const LANGID kChinesePrc = 2052;

}  // namespace

const char* languageLibraryName()
{
    const LANGID language = g_systemLanguage();
    if (language == kChineseTaiwan) return "vnCht.dll";
    if (language == kChinesePrc) return "vnChs.dll";
    return "vnEng.dll";
}

std::string toModuleRelative(const std::string& moduleDirectory, const std::string& path)
{
    const std::size_t n = moduleDirectory.size();
    if (n == 0 || path.size() <= n) return path;
    if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path.data(), static_cast<int>(n),
                       moduleDirectory.data(), static_cast<int>(n)) != CSTR_EQUAL)
        return path;
    return path.substr(n);
}

std::string resolveModuleRelative(const std::string& moduleDirectory, const std::string& path)
{
    if (path.empty()) return path;
    const std::string joined = moduleDirectory + path;
    const DWORD attributes = GetFileAttributesA(joined.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return path;
    return joined;
}

int clampAutoLogoutMinutes(int minutes)
{
    if (minutes < 0) return 0;
    if (minutes > 99) return 99;
    return minutes;
}
