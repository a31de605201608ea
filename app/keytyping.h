// Typing an item's keystrokes into another program's window by posting
// characters. A line break or tab is a key press framed by two waits: the
// target makes its own characters from a key press later (in its own
// TranslateMessage), so without the waits a line break would land after the
// characters posted behind it. A busy target (under load, or translating
// its first key press) may take longer than the waits, so after each such
// key the typing also lets the target take what was posted before it.
#pragma once

#include <windows.h>

#include <string>

// The clock and the posting, replaced by the tests.
class TypingPort {
public:
    virtual void wait(DWORD milliseconds) = 0;
    // 0 when the message was posted, else the system's error (a window of a
    // program with higher rights refuses it with ERROR_ACCESS_DENIED).
    virtual DWORD post(HWND window, UINT message, WPARAM character) = 0;
    // Returns once the target has taken at least `messages` of the messages
    // posted to it (or gave up waiting for it).
    virtual void settle(HWND window, int messages) = 0;

protected:
    ~TypingPort() = default;
};

// The wait before and after the n-th (from 1) line break or tab of a text.
DWORD WaitBeforeKey(int n);
DWORD WaitAfterKey(int n);

enum class TypingResult {
    typed,
    // The window is gone (closed while the menu was open).
    windowGone,
    // The window's program runs with higher rights than ours.
    refused,
    // Posting failed for another reason (the target's queue is full).
    failed
};

// Types `text` into `window`: line feeds are skipped, carriage returns and
// tabs are key presses, everything else characters; `pressEnter` adds a
// final Return. Stops at the first message that cannot be posted: the rest
// would be lost the same way.
TypingResult TypeKeystrokes(HWND window, const std::string& text, bool pressEnter, TypingPort& port);
