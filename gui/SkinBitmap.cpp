#include "gui/SkinBitmap.h"

#include "gui/ModuleInstance.h"
#include "gui/PaintPort.h"

CSkinBitmap::CSkinBitmap(int32_t resourceId)
    : resourceId(resourceId), bitmap(nullptr), width(0), height(0), referenceCount(1)
{
    bitmap = LoadBitmapA(moduleInstance(), MAKEINTRESOURCEA(resourceId & 0xffff));
    BITMAP description = {};
    if (bitmap && GetObjectA(bitmap, sizeof(description), &description))
    {
        width = description.bmWidth;
        height = description.bmHeight;
    }
}

CSkinBitmap::~CSkinBitmap()
{
    if (bitmap)
        DeleteObject(bitmap);
}

void CSkinBitmap::addRef()
{
    ++referenceCount;
}

void CSkinBitmap::release()
{
    if (--referenceCount == 0)
        delete this;
}

void CSkinBitmap::paintTo(CPaintPort& port, const PortRect& destination, PortPoint source) const
{
    if (!bitmap)
        return;
    HDC memory = CreateCompatibleDC(port.getContext());
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(port.getContext(), destination.left, destination.top,
           destination.right - destination.left, destination.bottom - destination.top, memory,
           source.x, source.y, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}
