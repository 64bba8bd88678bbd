#include "host/Window.h"

namespace
{
const char kClassName[] = "CWINDOW";
} // namespace

CWindow::CWindow(HINSTANCE instance_)
    : instance(instance_), hwnd(nullptr), parentHwnd(nullptr), windowDc(nullptr)
{
}

// The window is not destroyed and its DC not released: host windows live
// until the process ends.
CWindow::~CWindow() = default;

int CWindow::Create(HWND parent)
{
    parentHwnd = parent;

    const HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
    return CreateHostWindow({kClassName, icon, icon, MenuColorBrush()}, 0, nullptr, 0, parent);
}

int CWindow::CreateHostWindow(const HostClass& windowClass, DWORD exStyle, const char* title,
                              DWORD style, HWND parent)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = windowClass.icon;
    wc.hIconSm = windowClass.smallIcon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = windowClass.background;
    wc.lpszClassName = windowClass.name;
    RegisterClassExA(&wc);

    HWND window = CreateWindowExA(exStyle, windowClass.name, title, style, 0, 0, 0, 0, parent,
                                  nullptr, instance, nullptr);
    if (!window)
        return 0;
    hwnd = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    windowDc = GetDC(window);
    return 1;
}

LRESULT CWindow::OnDestroy(HWND, UINT, WPARAM, LPARAM)
{
    PostQuitMessage(0);
    return 0;
}

LRESULT CWindow::OnTimer(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

LRESULT CWindow::OnCommand(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

LRESULT CWindow::OnUser(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

LRESULT CWindow::OnPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!GetUpdateRect(window, nullptr, FALSE))
        return 0;
    ValidateRect(window, nullptr);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CWindow::OnVScroll(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CWindow::OnKeyDown(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

LRESULT CWindow::OnLButtonDown(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

LRESULT CWindow::OnDpiChanged(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK CWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Messages sent during creation arrive before the object is known.
    auto* self = reinterpret_cast<CWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message)
    {
    case WM_DESTROY:
        return self->OnDestroy(window, message, wParam, lParam);
    case WM_PAINT:
        return self->OnPaint(window, message, wParam, lParam);
    case WM_KEYDOWN:
        return self->OnKeyDown(window, message, wParam, lParam);
    case WM_COMMAND:
        return self->OnCommand(window, message, wParam, lParam);
    case WM_TIMER:
        return self->OnTimer(window, message, wParam, lParam);
    case WM_VSCROLL:
        return self->OnVScroll(window, message, wParam, lParam);
    case WM_LBUTTONDOWN:
        return self->OnLButtonDown(window, message, wParam, lParam);
    case WM_USER:
        return self->OnUser(window, message, wParam, lParam);
    case WM_DPICHANGED:
        return self->OnDpiChanged(window, message, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
