// The plug-in DLL's entries: the one a host calls to make an instance, and
// the loader's, which tells the toolkit which module its pictures and its
// window class belong to. Nothing here relies on a program's start-up.

#include <windows.h>

#include "gui/ModuleInstance.h"
#include "plugin/PluginEntry.h"

// Exported as "VSTPluginMain" and as "main" (ZanderwickScope.def).
extern "C" AEffect* ZW_VSTCALL VSTPluginMain(HostCallbackProc hostCallback)
{
    return CreatePluginInstance(hostCallback);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH)
        setModuleInstance(instance);
    return TRUE;
}
