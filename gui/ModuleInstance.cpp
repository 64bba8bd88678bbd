#include "gui/ModuleInstance.h"

HINSTANCE moduleInstance()
{
    // The module that holds this very code: its image starts at the base of
    // the allocation the code lies in. Asked this way nobody has to publish
    // it, and the loader is not involved.
    MEMORY_BASIC_INFORMATION memory = {};
    VirtualQuery(reinterpret_cast<LPCVOID>(&moduleInstance), &memory, sizeof(memory));
    return static_cast<HINSTANCE>(memory.AllocationBase);
}
