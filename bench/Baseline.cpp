// What Wine costs for the least a program like ours needs: one top-level
// window, one child in it and two 50 ms timers, nothing else. The program
// benchmark runs it next to the real program to compare their CPU.

#include <windows.h>

namespace
{
LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY && !GetParent(window))
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "ZWBASELINE";
    RegisterClassA(&windowClass);
    HWND main = CreateWindowExA(0, "ZWBASELINE", "Baseline", WS_OVERLAPPED | WS_SYSMENU, 392, 185,
                                230, 330, nullptr, nullptr, instance, nullptr);
    HWND child = CreateWindowExA(0, "ZWBASELINE", nullptr, WS_CHILD | WS_VISIBLE, 0, 31, 220, 270,
                                 main, nullptr, instance, nullptr);
    ShowWindow(main, SW_SHOWNORMAL);
    SetTimer(main, 1, 50, nullptr);
    SetTimer(child, 1, 50, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
