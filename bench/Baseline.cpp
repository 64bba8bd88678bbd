// What Wine costs for the least a program like ours needs: one top-level
// window, one child in it and two 50 ms timers, nothing else. The program
// benchmark runs it next to the real program to compare their CPU.

#include "bench/FloorWindows.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    floor_windows::open(instance, "ZWBASELINE");
    return floor_windows::runMessageLoop();
}
