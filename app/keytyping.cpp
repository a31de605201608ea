#include "app/keytyping.h"

DWORD WaitBeforeKey(int n)
{
    static const DWORD kFirst[] = {2, 6, 9};
    return n >= 1 && n <= 3 ? kFirst[n - 1] : 10;
}

DWORD WaitAfterKey(int n)
{
    return n <= 1 ? 40 : 70;
}

namespace {

TypingResult ResultOf(DWORD error)
{
    if (error == 0) return TypingResult::typed;
    if (error == ERROR_INVALID_WINDOW_HANDLE) return TypingResult::windowGone;
    if (error == ERROR_ACCESS_DENIED) return TypingResult::refused;
    return TypingResult::failed;
}

}  // namespace

TypingResult TypeKeystrokes(HWND window, const std::string& text, bool pressEnter, TypingPort& port)
{
    port.wait(2);
    int keys = 0;
    int posted = 0;
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte == '\n') continue;
        if (byte == '\r' || byte == '\t') {
            ++keys;
            port.wait(WaitBeforeKey(keys));
            if (const DWORD error = port.post(window, WM_KEYDOWN, byte)) return ResultOf(error);
            port.wait(WaitAfterKey(keys));
            // The key press and the character it makes, behind the others.
            port.settle(window, posted + 2);
            posted = 0;
        } else {
            if (const DWORD error = port.post(window, WM_CHAR, byte)) return ResultOf(error);
            ++posted;
        }
    }
    return pressEnter ? ResultOf(port.post(window, WM_KEYDOWN, VK_RETURN)) : TypingResult::typed;
}
