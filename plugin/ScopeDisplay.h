#pragma once

#include <cstdint>

class CParamStore;

// What the scope effect needs from its editor, apart from the editor opcodes
// that CEditorBase already answers: the parameter mirror, the display reset
// and the display store that the engine publishes into. The scope editor
// implements it as a further base next to CEditorBase's chain, so the
// editor's own slot order stays as it is.
class CScopeDisplay
{
  public:
    virtual void setParameter(int32_t index, float value) = 0;
    virtual void writeParameterBlock(int32_t index, const void* source, int32_t length,
                                     int32_t offset) = 0;
    virtual void resetDisplay() = 0;
    // The editor's own store: written after every process call on the
    // processing thread, read by the editor's idle on the GUI thread. Readers
    // that take several entries hold the store's lock across them.
    virtual CParamStore* displayStore() = 0;

  protected:
    // Never deleted through this interface: the effect owns the editor
    // through CEditorBase.
    ~CScopeDisplay() = default;
};
