// The native build of the scope effect has no editor: the editor draws
// through the Windows GUI toolkit.

#include "plugin/ScopeEffect.h"

void CScopeEffect::createEditor() {}
