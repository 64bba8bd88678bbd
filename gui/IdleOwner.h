#pragma once

#include "gui/PortTypes.h"

// What a widget frame needs from the editor that owns it: a way to run the
// editor's idle while a control holds the message loop, a word before each
// timer tick's refresh, and the first say on a right click.
class CIdleOwner
{
  public:
    virtual void doIdle() = 0;
    // The frame's timer is about to refresh the widgets. Hosts send their
    // idle calls at any rate, or never; the owner hands the widgets new data
    // here so that the display moves all the same.
    virtual void onFrameTimer() {}
    // A right click in the frame's window, before any widget hears of it.
    // True when the owner took it; the frame may then be gone already.
    virtual bool onContextClick(PortPoint /*where*/) { return false; }
    // A host of ours tells the frame's window that its window went to a
    // screen of that DPI, with the WM_DPICHANGED it got itself. The owner may
    // rebuild the frame at another size: it may then be gone already.
    virtual void onDpiChanged(int32_t /*dpi*/) {}

  protected:
    ~CIdleOwner() = default;
};
