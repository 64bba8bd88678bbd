// The bundle's binary: one plug-in, whose descriptor hosts find through
// lv2_descriptor, the one symbol it exports.

#include <lv2/core/lv2.h>

#include "lv2/Lv2Scope.h"
#include "lv2/ScopePorts.h"

namespace
{
CLv2Scope* scope(LV2_Handle instance)
{
    return static_cast<CLv2Scope*>(instance);
}

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char* /*bundle*/,
                       const LV2_Feature* const* features)
{
    return CLv2Scope::create(rate, features);
}

void connectPort(LV2_Handle instance, uint32_t port, void* data)
{
    scope(instance)->connectPort(port, data);
}

void activate(LV2_Handle instance)
{
    scope(instance)->activate();
}

void run(LV2_Handle instance, uint32_t frames)
{
    scope(instance)->run(frames);
}

void deactivate(LV2_Handle) {}

void cleanup(LV2_Handle instance)
{
    delete scope(instance);
}

const void* extensionData(const char*)
{
    return nullptr;
}

const LV2_Descriptor kDescriptor = {ZW_LV2_URI, instantiate, connectPort, activate,
                                    run,        deactivate,  cleanup,     extensionData};
} // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
