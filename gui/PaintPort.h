#pragma once

#include <windows.h>

#include "gui/PortTypes.h"

// The drawing context every widget paints through. It wraps a device context
// that someone else obtained, owns at most one pen, brush and font of its own
// at a time, and selects back what the context had when it is destroyed.
class CPaintPort
{
  public:
    // Without a context the default colours are only stored.
    CPaintPort(HDC context, HWND window);
    virtual ~CPaintPort();

    CPaintPort(const CPaintPort&) = delete;
    CPaintPort& operator=(const CPaintPort&) = delete;

    void setPenColor(PortColor color);
    // 1 is dotted, anything else solid.
    void setLineDash(int32_t style);
    void setBrushColor(PortColor color);
    void setTextColor(PortColor color);
    // A size of 0 takes the font's default size.
    void selectFont(PortFontId id, int32_t size);

    void paintRect(const PortRect& rect);
    void paintPolygon(const PortPoint* points, int32_t count);
    void plotPixel(PortPoint point, PortColor color);
    // Alignment 1 centres, 2 aligns right, anything else left; always one
    // line, centred vertically.
    void writeText(const char* text, const PortRect& rect, int32_t opaque, int32_t alignment);

    // The PortButtons bits of the buttons and modifiers held right now.
    int32_t readButtons() const;
    // The mouse pointer in the window's client coordinates.
    PortPoint readPointer() const;

    HDC getContext() const { return context; }
    HWND getWindow() const { return window; }
    PortColor getPenColor() const { return penColor; }
    PortColor getBrushColor() const { return brushColor; }
    PortColor getTextColor() const { return textColor; }
    int32_t getLineDash() const { return lineStyle; }

  protected:
    void replacePen();

    HDC context;
    HWND window;
    PortColor textColor;
    int32_t lineWidth;
    PortColor penColor;
    PortColor brushColor;
    int32_t lineStyle;
    HBRUSH brush;
    HPEN pen;
    HFONT font;
    HGDIOBJ savedBrush;
    HGDIOBJ savedPen;
    HGDIOBJ savedFont;
    int32_t gdiPenStyle;
};

// The face selectFont asks Windows for, for any id.
const char* portFontFace(PortFontId id);

inline COLORREF toColorRef(PortColor color)
{
    return RGB(color.red, color.green, color.blue);
}
