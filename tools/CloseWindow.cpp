// Asks a running program to close its main window, the way a click on the
// window's close box does: zw_close_window <window class>.

#include <windows.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: zw_close_window <window class>\n");
        return 2;
    }
    HWND window = FindWindowA(argv[1], nullptr);
    if (!window)
    {
        std::fprintf(stderr, "no window of class %s\n", argv[1]);
        return 1;
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}
