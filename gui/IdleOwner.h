#pragma once

// What a widget frame needs from the editor that owns it: a way to run the
// editor's idle while a control holds the message loop, and a word before
// each timer tick's refresh.
class CIdleOwner
{
  public:
    virtual void doIdle() = 0;
    // The frame's timer is about to refresh the widgets. Hosts send their
    // idle calls at any rate, or never; the owner hands the widgets new data
    // here so that the display moves all the same.
    virtual void onFrameTimer() {}

  protected:
    ~CIdleOwner() = default;
};
