#pragma once
// The plug-in window: the child window of the demo window in which the
// effect's editor lives, and the host's binding to the compiled-in plug-in
// (entry function, record, dispatcher calls and the host callback).

#include "audio/EffectBinding.h"
#include "host/Window.h"
#include "plugin/AEffect.h"
#include "plugin/PluginEntry.h"

// The host side of the plug-in's callback. Keeps no state, so it may be
// called from any thread.
VstIntPtr ZW_VSTCALL HostCallback(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                                  void* ptr, float opt);

// The program's entry: the scope effect with its editor.
AEffect* ZW_VSTCALL ProgramPluginEntry(HostCallbackProc hostCallback);

class CPlugWnd : public CWindow, public CEffectBinding
{
  public:
    // The program binds its own entry; tests may bind another.
    explicit CPlugWnd(HINSTANCE instance, PluginEntryProc entry = &ProgramPluginEntry);

    // Opens the editor in a new child window of parent, under the toolbar,
    // sizes and centres parent around it and starts the editor's idle timer.
    int Create(HWND parent) override;
    // Every tick of the idle timer is one effEditIdle.
    LRESULT OnTimer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    int LoadPlugin();
    // The binding the playback controller plays through.
    void SetSampleRate(float rate) override;
    int Process(float** inputs, float** outputs, int32_t sampleFrames) override;
    void Resume() override;
    void Suspend() override;

    AEffect* GetEffect() const { return effectRecord; }
    const ERect* GetEditorRect() const { return editorRect; }
    int IsLoaded() const { return pluginLoaded; }

  private:
    VstIntPtr send(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float opt);

    int pluginLoaded;
    ERect* editorRect;
    AEffect* effectRecord;
    PluginEntryProc entry;
};
