#pragma once

// A stand-in for the scope editor: owns a display store as the real one does
// and notes what the effect tells it, without allocating.

#include "plugin/EditorBase.h"
#include "plugin/ScopeDisplay.h"
#include "plugin/ScopeEffect.h"
#include "plugin/ScopeParams.h"

class CTestScopeEditor : public CEditorBase, public CScopeDisplay
{
  public:
    explicit CTestScopeEditor(CPluginBase* effect) : CEditorBase(effect) {}
    void setParameter(int32_t index, float value) override
    {
        store.setNormalized(index, value);
        sets += 1;
        lastSet = value;
    }
    void writeParameterBlock(int32_t index, const void* source, int32_t length,
                             int32_t offset) override
    {
        store.writeBlock(index, source, length, offset);
    }
    void resetDisplay() override { resets += 1; }
    CParamStore* displayStore() override { return &store; }

    CScopeParams store;
    int sets = 0, resets = 0;
    float lastSet = -1.0f;
};

class CEditedScopeEffect : public CScopeEffect
{
  public:
    explicit CEditedScopeEffect(HostCallbackProc host) : CScopeEffect(host) { initialize(); }
    void createEditor() override { attachDisplay(new CTestScopeEditor(this)); }
    CTestScopeEditor* testEditor() { return static_cast<CTestScopeEditor*>(getDisplay()); }
};
