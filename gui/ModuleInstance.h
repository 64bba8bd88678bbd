#pragma once

#include <windows.h>

// The module the toolkit's code was linked into, which holds its bitmaps and
// names its window class: the program, or the plug-in DLL inside a host.
HINSTANCE moduleInstance();
