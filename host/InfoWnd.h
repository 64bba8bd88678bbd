#pragma once
// The help window "Zanderwick Info": one of two tall help pages (German or
// English), half the screen high, with a vertical scroll bar over 0..1000
// and the language switched by the flags printed on the pages.

#include "editor/ZoomSetting.h"
#include "host/ToolButton.h"
#include "host/Window.h"

class CInfoWnd : public CWindow
{
  public:
    // `ownerSlot` is where the opening window keeps its help window; it is
    // cleared when this window goes away, so the next help command opens a
    // new one. The page follows the editor's size, `editorZoom`.
    CInfoWnd(HINSTANCE instance, CInfoWnd** ownerSlot, int editorZoom = CZoomSetting::kDefault);
    ~CInfoWnd() override;

    int Create(HWND parent) override;
    LRESULT OnDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnPaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnVScroll(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnLButtonDown(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    int ScrollPos() const { return scrollPos; }
    int ShowsGerman() const { return showGerman; }
    int ViewHeight() const { return viewHeight; }
    // Row of the shown page at the top of the window, in the page's pixels
    // at 100 %.
    int PageOffset() const;
    int Zoom() const { return zoom; }

  private:
    void ShowPage();

    CInfoWnd** owner;
    int screenWidth;
    int windowHeight;
    int viewHeight;
    int germanWidth;
    int germanHeight;
    int englishWidth;
    int englishHeight;
    int scrollPos;
    HDC germanDc;
    HDC englishDc;
    int showGerman;
    HBITMAP germanBitmap;
    HBITMAP englishBitmap;
    // The size of the editor, and the page's: the same or the largest
    // smaller one that the screen has room for.
    int editorZoom;
    int zoom;
    CToolButton germanFlag;
    CToolButton englishFlag;
    HGDIOBJ germanDcDefault;
    HGDIOBJ englishDcDefault;
};
