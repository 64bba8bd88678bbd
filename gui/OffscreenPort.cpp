#include "gui/OffscreenPort.h"

#include "gui/WidgetFrame.h"

COffscreenPort::COffscreenPort(const CWidgetFrame* frame, int32_t width, int32_t height,
                               PortColor background)
    : CPaintPort(nullptr, nullptr), bitmap(nullptr), ownsBitmap(0), height(height), width(width)
{
    HWND parent = frame ? frame->getParentWindow() : nullptr;
    HDC windowContext = GetDC(parent);
    context = CreateCompatibleDC(windowContext);
    bitmap = CreateCompatibleBitmap(windowContext, width, height);
    ownsBitmap = 1;
    SelectObject(context, bitmap);
    ReleaseDC(parent, windowContext);

    setBrushColor(background);
    paintRect({0, 0, width, height});
}

COffscreenPort::~COffscreenPort()
{
    // The memory context goes first so that the bitmap, brush and font are
    // no longer selected anywhere when they are deleted.
    DeleteDC(context);
    if (ownsBitmap && bitmap)
        DeleteObject(bitmap);
}

void COffscreenPort::copyTo(CPaintPort& target, const PortRect& destination, PortPoint source) const
{
    BitBlt(target.getContext(), destination.left, destination.top,
           destination.right - destination.left, destination.bottom - destination.top, context,
           source.x, source.y, SRCCOPY);
}
