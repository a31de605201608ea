#include "sentwait.h"

bool WaitHandlingSentMessages(HANDLE handle, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD left = INFINITE;
        if (milliseconds != INFINITE) {
            const DWORD spent = GetTickCount() - start;
            left = spent >= milliseconds ? 0 : milliseconds - spent;
        }
        const DWORD rc = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_SENDMESSAGE);
        if (rc == WAIT_OBJECT_0) return true;
        if (rc != WAIT_OBJECT_0 + 1) return false;  // time-out or failure
        // Peeking with PM_QS_SENDMESSAGE delivers the pending sent messages
        // and nothing else.
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
