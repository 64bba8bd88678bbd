#pragma once
// Waiting on an event for a condition, with one bound for the whole wait:
// wake-ups that leave the condition false do not start the clock again.

#include <windows.h>

// Waits on the event until done() holds or the milliseconds have passed in
// all; whether done() held.
template <typename Done> bool waitWithin(HANDLE event, DWORD milliseconds, Done done)
{
    const DWORD start = GetTickCount();
    for (DWORD waited = 0; !done(); waited = GetTickCount() - start)
    {
        if (waited >= milliseconds)
            return false;
        WaitForSingleObject(event, milliseconds - waited);
    }
    return true;
}
