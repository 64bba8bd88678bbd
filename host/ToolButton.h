#pragma once
// A bitmap button of the toolbar, or a bare hit area (null DCs): normal state
// at the source position, pressed state pressedOffset rows below it.

#include <windows.h>

class CToolButton
{
  public:
    CToolButton(int left, int top, int width, int height, HDC targetDc, HDC sourceDc, int sourceX,
                int sourceY, int pressedOffset);

    // Strictly inside on all four sides: the outermost rows and columns miss.
    int HitTest(int x, int y) const;
    BOOL Draw(int pressed) const;

  private:
    int left;
    int top;
    int width;
    int height;
    HDC sourceDc;
    HDC targetDc;
    int sourceX;
    int sourceY;
    int pressedOffset;
};
