#include "gui/ModuleInstance.h"

namespace
{
HINSTANCE gModuleInstance = nullptr;
}

void setModuleInstance(HINSTANCE instance)
{
    gModuleInstance = instance;
}

HINSTANCE moduleInstance()
{
    return gModuleInstance;
}
