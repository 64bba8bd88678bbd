// The Windows build's editor for the scope effect; the native build has none.

#include <new>

#include "editor/ScopeEditor.h"
#include "plugin/ScopeEffect.h"

void CScopeEffect::createEditor()
{
    // The editor registers itself as the effect's editor; without one every
    // call to it is skipped.
    CScopeEditor* scopeEditor = new (std::nothrow) CScopeEditor(this);
    if (scopeEditor)
        attachDisplay(scopeEditor);
}
