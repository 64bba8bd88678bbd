// The program's entry into the compiled-in plug-in: the effect with the
// editor the program shows. A file of its own, so that a build of the
// program for tests can link another entry in its place.

#include "editor/ScopeEditor.h"
#include "host/PlugWnd.h"

AEffect* ZW_VSTCALL ProgramPluginEntry(HostCallbackProc hostCallback)
{
    return CreatePluginInstance(hostCallback, &CScopeEditor::make);
}
