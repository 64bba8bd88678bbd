#pragma once
// Base of the host's windows: ties one Win32 window to one object. The
// object's address lives in the window's user data, and one shared window
// procedure forwards the nine messages the host handles to its handlers.

#include <windows.h>

class CWindow
{
  public:
    explicit CWindow(HINSTANCE instance);
    virtual ~CWindow();

    virtual int Create(HWND parent);
    virtual LRESULT OnDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnTimer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnUser(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnPaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnVScroll(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnKeyDown(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnLButtonDown(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // A top-level window went to a screen of another DPI (WM_DPICHANGED).
    virtual LRESULT OnDpiChanged(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND GetHwnd() const { return hwnd; }
    HDC GetWindowDc() const { return windowDc; }

    // The procedure every host window class is registered with.
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  protected:
    // The class brush value 5, COLOR_MENU + 1, which paints with the menu
    // colour: the background of the plain window class and of the help window.
    static HBRUSH MenuColorBrush()
    {
        return reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1));
    }

    // What sets one of the host's window classes apart; they all have their
    // own DC, the arrow cursor and the shared window procedure.
    struct HostClass
    {
        const char* name;
        HICON icon;
        HICON smallIcon;
        HBRUSH background;
    };

    // The common part of every Create: registers the class (a second
    // registration of the same name fails and the existing class is used),
    // creates the window at position and size 0, and remembers it in both
    // directions with its own DC. 1, or 0 when the window cannot be created.
    int CreateHostWindow(const HostClass& windowClass, DWORD exStyle, const char* title,
                         DWORD style, HWND parent);

    HINSTANCE instance;
    HWND hwnd;
    HWND parentHwnd;
    HDC windowDc;
};
