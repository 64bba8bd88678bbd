// Linked into a second build of the program in place of the real plug-in's
// entry: it refuses to create an instance, as a plug-in that cannot run would.

#include "host/PlugWnd.h"

AEffect* ZW_VSTCALL ProgramPluginEntry(HostCallbackProc)
{
    return nullptr;
}
