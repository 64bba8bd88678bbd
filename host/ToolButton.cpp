#include "host/ToolButton.h"

CToolButton::CToolButton(int left_, int top_, int width_, int height_, HDC targetDc_, HDC sourceDc_,
                         int sourceX_, int sourceY_, int pressedOffset_)
    : left(left_), top(top_), width(width_), height(height_), sourceDc(sourceDc_),
      targetDc(targetDc_), sourceX(sourceX_), sourceY(sourceY_), pressedOffset(pressedOffset_)
{
}

int CToolButton::HitTest(int x, int y) const
{
    return left < x && x < left + width && top < y && y < top + height;
}

BOOL CToolButton::Draw(int pressed) const
{
    return BitBlt(targetDc, left, top, width, height, sourceDc, sourceX,
                  sourceY + (pressed ? pressedOffset : 0), SRCCOPY);
}
