#pragma once
// The plug-in window: the child window of the demo window in which the
// effect's editor lives, and the host's binding to the compiled-in plug-in
// (entry function, record, dispatcher calls and the host callback).

#include "audio/EffectBinding.h"
#include "host/Window.h"
#include "plugin/AEffect.h"
#include "plugin/PluginEntry.h"

// The window around the plug-in window: told the size the editor is drawn
// at, it draws its toolbar at that size and answers the toolbar's height.
class CEditorHolder
{
  public:
    // The toolbar across the top at 100 %; the plug-in window sits under it.
    static constexpr int kToolbarHeight = 31;

    virtual int FitToolbar(int percent) = 0;

  protected:
    ~CEditorHolder() = default;
};

// The host side of the plug-in's callback. Keeps no state, so it may be
// called from any thread; only a resize, which the editor asks for from the
// GUI thread, reaches the plug-in window bound to the effect.
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
    // The window whose toolbar sits over the editor; none in a bare host.
    void SetHolder(CEditorHolder* window) { holder = window; }
    // Fits this window, and the demo window around it, to an editor of the
    // new size. 1, or 0 for a size no editor has.
    int FitEditor(int width, int height);
    // The demo window went to a screen of that DPI: the editor hears of it
    // and may ask for another size; the windows are fitted to it again.
    void FollowDpi(int dpi);
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
    // Puts the editor's window under the toolbar and sizes the parent.
    void Place(int width, int height, bool centre);

    int pluginLoaded;
    ERect* editorRect;
    AEffect* effectRecord;
    PluginEntryProc entry;
    CEditorHolder* holder;
    // The DPI of the screen the window was last told it is on; 0 until then
    // (the window's own DPI counts).
    int screenDpi;
};
