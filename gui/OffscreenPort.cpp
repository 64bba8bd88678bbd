#include "gui/OffscreenPort.h"

#include <algorithm>

COffscreenPort::COffscreenPort(const CWidgetFrame* /*frame*/, int32_t width, int32_t height,
                               PortColor background)
    : CPaintPort(nullptr, nullptr), bitmap(nullptr), savedBitmap(nullptr), pixels(nullptr),
      background(), height(std::max(height, 0)), width(std::max(width, 0))
{
    BITMAPINFO info = {};
    // A negative height makes the rows run top to bottom.
    info.bmiHeader = {
        sizeof(info.bmiHeader), this->width, -this->height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    context = CreateCompatibleDC(nullptr);
    if (this->width > 0 && this->height > 0)
        bitmap = CreateDIBSection(context, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap)
    {
        pixels = static_cast<uint32_t*>(bits);
        savedBitmap = SelectObject(context, bitmap);
    }
    setBrushColor(background);
    paintRect({0, 0, this->width, this->height});
    GdiFlush();
}

COffscreenPort::~COffscreenPort()
{
    // The bitmap and the port's brush must no longer be selected anywhere
    // when they are deleted; the context goes first.
    if (savedBitmap)
        SelectObject(context, savedBitmap);
    DeleteDC(context);
    if (bitmap)
        DeleteObject(bitmap);
}

void COffscreenPort::copyTo(CPaintPort& target, const PortRect& destination, PortPoint source) const
{
    BitBlt(target.getContext(), destination.left, destination.top,
           destination.right - destination.left, destination.bottom - destination.top, context,
           source.x, source.y, SRCCOPY);
}

void COffscreenPort::keepBackground()
{
    GdiFlush();
    if (pixels)
        background.assign(pixels, pixels + static_cast<size_t>(width) * height);
}

void COffscreenPort::restoreBackground()
{
    if (pixels && !background.empty())
        std::copy(background.begin(), background.end(), pixels);
}
