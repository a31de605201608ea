// Waiting on a handle from a thread that owns windows.
#pragma once

#include <windows.h>

// Waits until `handle` is signalled or `milliseconds` pass, meanwhile
// handling the messages that other threads send (SendMessage) to this
// thread's windows, so that a thread which sends to us while we wait for it
// cannot deadlock with us. Posted messages and input stay queued. Returns
// true when the handle was signalled.
bool WaitHandlingSentMessages(HANDLE handle, DWORD milliseconds = INFINITE);
