#pragma once
// The windows and timers of the program benchmark's floor programs: what
// Wine costs for the least a program like ours needs.

#include <windows.h>

namespace floor_windows
{
inline LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY && !GetParent(window))
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

// One top-level window of the program's size with one child where the
// editor sits, and a 50 ms timer on each. The benchmark finds the window by
// its class name.
inline void open(HINSTANCE instance, const char* className)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    HWND main = CreateWindowExA(0, className, className, WS_OVERLAPPED | WS_SYSMENU, 392, 185, 230,
                                330, nullptr, nullptr, instance, nullptr);
    HWND child = CreateWindowExA(0, className, nullptr, WS_CHILD | WS_VISIBLE, 0, 31, 220, 270,
                                 main, nullptr, instance, nullptr);
    ShowWindow(main, SW_SHOWNORMAL);
    SetTimer(main, 1, 50, nullptr);
    SetTimer(child, 1, 50, nullptr);
}

inline int runMessageLoop()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
} // namespace floor_windows
