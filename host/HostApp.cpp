#include "host/HostApp.h"

#include "host/DemoWnd.h"
#include "host/PlugWnd.h"

CHostApp::CHostApp(HINSTANCE instance_) : CAppBase(instance_), demoWnd(nullptr), plugWnd(nullptr)
{
    demoWnd = new CDemoWnd(instance);
    demoWnd->Create(nullptr);
    plugWnd = new CPlugWnd(instance);
    if (!plugWnd->LoadPlugin())
    {
        Fail();
        return;
    }
    plugWnd->SetHolder(demoWnd);
    if (!plugWnd->Create(demoWnd->GetHwnd()))
    {
        Fail();
        return;
    }
    ShowWindow(plugWnd->GetHwnd(), SW_SHOWNORMAL);
    ShowWindow(demoWnd->GetHwnd(), SW_SHOWNORMAL);
    demoWnd->Attach(instance, plugWnd);
}

void CHostApp::Fail()
{
    // The demo window has already asked itself to open the help window; a
    // program that cannot bind its plug-in must end without showing any
    // window, so that request is dropped before the loop could see it.
    MSG msg;
    if (HWND demo = demoWnd->GetHwnd())
        while (PeekMessageA(&msg, demo, 0, 0, PM_REMOVE))
        {
        }
    PostQuitMessage(kBindingFailed);
}

int CHostApp::Run()
{
    MSG msg = {};
    // An error result of GetMessage is handled like a message.
    while (GetMessageA(&msg, nullptr, 0, 0))
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
