#include "framework/ansitext.h"

#include <climits>

std::wstring AnsiToWide(const std::string& text)
{
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return std::wstring();
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], length) != length) return std::wstring();
    return wide;
}

int DrawAnsiText(HDC dc, const std::string& text, RECT& rect, UINT format)
{
    const std::wstring wide = AnsiToWide(text);
    return DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect, format);
}

long AnsiTextWidth(HDC dc, const std::string& text)
{
    const std::wstring wide = AnsiToWide(text);
    SIZE size = {0, 0};
    if (dc == nullptr || wide.empty()) return 0;
    if (!GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size)) return 0;
    return size.cx;
}
