// The plug-in DLL's entry: the one a host calls to make an instance. Nothing
// here relies on a program's start-up; the toolkit finds its own module.

#include <windows.h>

#include "editor/ScopeEditor.h"
#include "plugin/PluginEntry.h"

// Exported as "VSTPluginMain" and as "main" (ZanderwickScope.def).
extern "C" AEffect* ZW_VSTCALL VSTPluginMain(HostCallbackProc hostCallback)
{
    return CreatePluginInstance(hostCallback, &CScopeEditor::make);
}
