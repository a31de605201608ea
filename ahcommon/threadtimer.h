// The process-wide timer service: one thread keeps the periodic timers of
// every CSimpleThread and posts each firing to its owner as an EMSG_TIMER
// event message (see CSimpleThread::SetThreadTimer).
#pragma once

#include "ahexport.h"

extern "C" {

// Starts the timer thread on first use and counts the users; returns the new
// count, or 0 when the thread cannot be started.
AHCOMMON_API int InitializeTimer();
// Counts a user down and stops the timer thread with the last one; 0 when
// there was no user.
AHCOMMON_API int UninitializeTimer();
// Milliseconds from the GetTickCount value `start` to now.
AHCOMMON_API DWORD LapseTick(DWORD start);

}
