// Keeps Wine's desktop in use for as long as it runs, showing no window.
//
// Wine ends the desktop's process a moment after the last program that used
// the desktop has gone, and the next window program starts it again as its
// own child, handing it its own output. A test run under CTest then lasts
// until that desktop ends, which is when nothing else runs. Started first
// and detached from every output, this holds one desktop for the whole run.
// It prints "ready" once the desktop is up, and waits until it is killed.

#include <windows.h>

#include <cstdio>

int main()
{
    if (!GetDesktopWindow())
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}
