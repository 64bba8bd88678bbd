#pragma once

#include <atomic>
#include <cstdint>

#include "plugin/AEffect.h"

class CPluginBase;

// The bare editor: what the effect's dispatcher talks to. The window handle
// is kept as an opaque pointer so that this part stays free of Windows types.
class CEditorBase
{
  public:
    // Registers the new editor with its effect, which from then on owns it.
    explicit CEditorBase(CPluginBase* owner);
    virtual ~CEditorBase();

    CEditorBase(const CEditorBase&) = delete;
    CEditorBase& operator=(const CEditorBase&) = delete;

    // A bare editor has no size to report.
    virtual int32_t getRect(ERect** rect);
    virtual int32_t open(void* parentWindow);
    virtual void close();
    virtual void idle();
    virtual void onRedrawRequest();
    virtual void requestRedraw();

    CPluginBase* getEffect() const { return effect; }
    void* getParentWindow() const { return parentWindow; }

  protected:
    CPluginBase* effect;
    void* parentWindow;
    // Asked for from any thread, served by idle on the editor's own.
    std::atomic<int32_t> redrawPending;
};
