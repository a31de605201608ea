// Waiting for a condition set by another thread, with a bound generous enough
// for a loaded machine.
#pragma once

#include <windows.h>

// Polls `condition` until it holds or `milliseconds` have passed; returns its
// last value.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD milliseconds = 10000)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (!condition()) {
        if (GetTickCount64() >= end) return condition();
        Sleep(1);
    }
    return true;
}

// Milliseconds from an arbitrary origin, finer than GetTickCount.
inline double NowMs()
{
    static const double perMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / perMs;
}
