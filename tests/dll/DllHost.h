#pragma once

// What the DLL tests do as a host: enter the DLL, call its dispatcher, feed
// it noise and find the editor's window.

#include "plugin/AEffect.h"

#include <windows.h>

#include <vector>

inline VstIntPtr call(AEffect* e, int32_t opcode, int32_t index = 0, VstIntPtr value = 0,
                      void* ptr = nullptr, float opt = 0.0f)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

inline PluginEntryProc entryOf(HMODULE module, const char* name)
{
    return reinterpret_cast<PluginEntryProc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Two different noises, so that any slip of a frame or a channel shows.
inline std::vector<float> noise(int frames, unsigned seed)
{
    std::vector<float> values(frames);
    for (float& v : values)
    {
        seed = seed * 1664525u + 1013904223u;
        v = static_cast<float>(static_cast<int>(seed >> 8) - (1 << 23)) / (1 << 23);
    }
    return values;
}

// The editor's own window inside the host's.
inline HWND frameIn(HWND parent)
{
    return FindWindowExA(parent, nullptr, nullptr, "Window");
}
