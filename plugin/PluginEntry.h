#pragma once
// The plug-in's entry: the one function of the effect that the host calls
// directly. It builds the effect and hands back its record, or null when the
// host answers version 0 or the effect cannot be made.

#include "plugin/AEffect.h"

AEffect* ZW_VSTCALL CreatePluginInstance(HostCallbackProc hostCallback);
