#pragma once

#include <windows.h>

// The module the plug-in's bitmaps and window class belong to. The host
// publishes it before it creates the plug-in.
void setModuleInstance(HINSTANCE instance);
HINSTANCE moduleInstance();
