#pragma once
// A host's call into an effect's dispatcher, with the arguments most calls
// leave at zero.

#include "plugin/AEffect.h"

inline VstIntPtr call(AEffect* e, int32_t opcode, int32_t index = 0, VstIntPtr value = 0,
                      void* ptr = nullptr, float opt = 0.0f)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}
