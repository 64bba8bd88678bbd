// Drives a running program's main window from outside, as a user would:
//
//   zw_drive_window <window class> close          asks it to close
//   zw_drive_window <window class> key <code>     presses a virtual key
//   zw_drive_window <window class> cycles <n> <ms>
//                                                 n times Enter, then
//                                                 numeric-pad 0, <ms> apart

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
void press(HWND window, WPARAM key)
{
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: zw_drive_window <window class> close | key <code> | "
                             "cycles <count> <milliseconds>\n");
        return 2;
    }
    HWND window = FindWindowA(argv[1], nullptr);
    if (!window)
    {
        std::fprintf(stderr, "no window of class %s\n", argv[1]);
        return 1;
    }
    const char* action = argv[2];
    if (std::strcmp(action, "close") == 0)
        PostMessageA(window, WM_CLOSE, 0, 0);
    else if (std::strcmp(action, "key") == 0 && argc == 4)
        press(window, std::strtoul(argv[3], nullptr, 0));
    else if (std::strcmp(action, "cycles") == 0 && argc == 5)
    {
        const long count = std::strtol(argv[3], nullptr, 10);
        const DWORD pause = std::strtoul(argv[4], nullptr, 10);
        for (long i = 0; i < count; ++i)
        {
            press(window, VK_RETURN);
            Sleep(pause);
            press(window, VK_NUMPAD0);
            Sleep(pause);
        }
    }
    else
    {
        std::fprintf(stderr, "unknown action %s\n", action);
        return 2;
    }
    return 0;
}
