#pragma once
// The plug-in's entry: the one function of the effect that a host calls
// directly. It builds the effect and hands back its record, or null when the
// host answers version 0 or the effect cannot be made.

#include "plugin/AEffect.h"

class CPluginBase;
class CScopeDisplay;

// Makes the scope effect's editor, which registers itself with the effect,
// and hands back its display side. The Windows builds pass one to the entry;
// the portable effect has no editor of its own.
using EditorFactory = CScopeDisplay* (*)(CPluginBase* effect);

AEffect* CreatePluginInstance(HostCallbackProc hostCallback, EditorFactory makeEditor = nullptr);
