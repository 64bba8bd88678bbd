#pragma once

#include <cstdint>
#include <memory>

#include "gui/IdleOwner.h"
#include "plugin/EditorBase.h"

class CWidgetFrame;

// An editor drawn by the GUI toolkit: it reports a fixed size and, while
// open, owns a widget frame. It is the frame's owner, so that a control that
// holds the message loop can still run the editor's idle.
class CWidgetEditor : public CEditorBase, public CIdleOwner
{
  public:
    explicit CWidgetEditor(CPluginBase* owner);
    ~CWidgetEditor() override;

    // Hands out the size rectangle, which lives as long as the editor.
    int32_t getRect(ERect** rect) override;
    // Keeps the window and asks for a redraw; building the frame is the
    // concrete editor's part.
    int32_t open(void* parentWindow) override;
    // Serves a pending redraw; when run from doIdle, also refreshes the frame.
    void idle() override;
    // The effect tells the editor about every parameter change.
    virtual void setParameter(int32_t index, float value);

    void doIdle() override;
    // The editor's own idle pass, for hosts that send effEditIdle rarely or
    // never.
    void onFrameTimer() override;

    CWidgetFrame* getFrame() const { return frame.get(); }

  protected:
    ERect size;
    std::unique_ptr<CWidgetFrame> frame;
    int16_t controlIdle;
};
