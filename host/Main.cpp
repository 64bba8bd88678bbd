// The program's entry point.

#include "host/HostApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    CHostApp app(instance);
    return app.Run();
}
