// A Win32 critical section as an object: entered again by the thread that
// holds it, never timed.
#pragma once

#include "ahexport.h"

class AHCOMMON_API CAhCriticalSection {
public:
    CAhCriticalSection();
    // A copy is a new, unlocked critical section: a Win32 critical section
    // cannot be shared by two owners.
    CAhCriticalSection(const CAhCriticalSection& other);
    // Keeps this object's own critical section; there is nothing to copy.
    CAhCriticalSection& operator=(const CAhCriticalSection& other);
    virtual ~CAhCriticalSection();

    // Enters the critical section, waiting as long as it takes; always 1.
    int Lock();
    // Same as Lock(): the time-out is accepted for compatibility only and
    // not honoured, so this is never a try-lock.
    int Lock(DWORD timeout);
    // Leaves the critical section; always 1.
    int Unlock();

private:
    CRITICAL_SECTION m_section;
};

// Holds a CAhCriticalSection for the length of a scope.
class CAhLock {
public:
    explicit CAhLock(CAhCriticalSection& section) : m_section(section) { m_section.Lock(); }
    ~CAhLock() { m_section.Unlock(); }
    CAhLock(const CAhLock&) = delete;
    CAhLock& operator=(const CAhLock&) = delete;

private:
    CAhCriticalSection& m_section;
};
