#pragma once
// The application: builds the demo window, binds the compiled-in plug-in,
// opens its editor in the plug-in window, starts playback of the default
// file, and runs the message loop.

#include "host/AppBase.h"

class CDemoWnd;
class CPlugWnd;

class CHostApp : public CAppBase
{
  public:
    // The exit code when the plug-in cannot be bound or shown.
    static constexpr int kBindingFailed = 4711;

    explicit CHostApp(HINSTANCE instance);
    int Run() override;

  private:
    void Fail();

    // Both live until the process ends.
    CDemoWnd* demoWnd;
    CPlugWnd* plugWnd;
};
