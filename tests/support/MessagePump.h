#pragma once
// The tests' message loop: the waiting messages of the calling thread.

#include <windows.h>

// Handles the waiting messages, and goes on doing so for the given time.
// Whether a quit was among them; its code goes to quitCode when given.
inline bool pumpMessages(DWORD milliseconds = 0, WPARAM* quitCode = nullptr)
{
    bool quit = false;
    const DWORD start = GetTickCount();
    do
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        {
            if (message.message == WM_QUIT)
            {
                quit = true;
                if (quitCode)
                    *quitCode = message.wParam;
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (milliseconds)
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
    return quit;
}
