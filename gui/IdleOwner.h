#pragma once

// What a widget frame needs from the editor that owns it: a way to run the
// editor's idle while a control holds the message loop.
class CIdleOwner
{
  public:
    virtual void doIdle() = 0;

  protected:
    ~CIdleOwner() = default;
};
