#pragma once

// What the DLL tests do as a host: enter the DLL, call its dispatcher, feed
// it noise and find the editor's window.

#include "plugin/AEffect.h"
#include "tests/support/HostCalls.h"
#include "tests/support/TestSignals.h"

#include <windows.h>

#include <vector>

inline PluginEntryProc entryOf(HMODULE module, const char* name)
{
    return reinterpret_cast<PluginEntryProc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The editor's own window inside the host's.
inline HWND frameIn(HWND parent)
{
    return FindWindowExA(parent, nullptr, nullptr, "Window");
}
