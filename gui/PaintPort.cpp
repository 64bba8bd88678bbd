#include "gui/PaintPort.h"

#include <cstring>

namespace
{
struct FontEntry
{
    const char* face;
    int32_t size;
    int32_t weight;
    BYTE pitchAndFamily;
};

const FontEntry kFonts[] = {
    {"Arial", 13, FW_BOLD, VARIABLE_PITCH | FF_SWISS},
    {"Arial", 16, FW_NORMAL, VARIABLE_PITCH | FF_SWISS},
    {"Arial", 14, FW_NORMAL, VARIABLE_PITCH | FF_SWISS},
    {"Arial", 12, FW_NORMAL, VARIABLE_PITCH | FF_SWISS},
    {"Arial", 11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS},
    {"Small Fonts", 7, FW_NORMAL, VARIABLE_PITCH | FF_SWISS},
    {"Wingdings", 11, FW_NORMAL, DEFAULT_PITCH | FF_DECORATIVE},
};
const int32_t kFontCount = sizeof(kFonts) / sizeof(kFonts[0]);

// Selects what the port just made and deletes the object of the same kind
// that it made before.
template <typename Handle> void takeOver(HDC context, Handle& owned, Handle created)
{
    SelectObject(context, created);
    if (owned)
        DeleteObject(owned);
    owned = created;
}

const FontEntry& fontEntry(PortFontId id)
{
    return kFonts[id >= 0 && id < kFontCount ? id : kFontBold];
}
} // namespace

const char* portFontFace(PortFontId id)
{
    return fontEntry(id).face;
}

CPaintPort::CPaintPort(HDC context, HWND window)
    : context(context), window(window), textColor(kColorWhitePen), lineWidth(1),
      penColor(kColorWhitePen), brushColor(kColorBlack), lineStyle(0), brush(nullptr), pen(nullptr),
      font(nullptr), savedBrush(nullptr), savedPen(nullptr), savedFont(nullptr),
      gdiPenStyle(PS_SOLID)
{
    if (!context)
        return;
    savedBrush = GetCurrentObject(context, OBJ_BRUSH);
    savedPen = GetCurrentObject(context, OBJ_PEN);
    savedFont = GetCurrentObject(context, OBJ_FONT);
    SetBkMode(context, TRANSPARENT);
    setPenColor(penColor);
    setLineDash(lineStyle);
    setBrushColor(brushColor);
    setTextColor(textColor);
}

CPaintPort::~CPaintPort()
{
    if (savedBrush)
        SelectObject(context, savedBrush);
    if (savedPen)
        SelectObject(context, savedPen);
    if (savedFont)
        SelectObject(context, savedFont);
    if (brush)
        DeleteObject(brush);
    if (pen)
        DeleteObject(pen);
    if (font)
        DeleteObject(font);
}

void CPaintPort::replacePen()
{
    LOGPEN description = {};
    description.lopnStyle = static_cast<UINT>(gdiPenStyle);
    description.lopnWidth.x = lineWidth;
    description.lopnWidth.y = lineWidth;
    description.lopnColor = toColorRef(penColor);
    HPEN created = CreatePenIndirect(&description);
    takeOver(context, pen, created);
}

void CPaintPort::setPenColor(PortColor color)
{
    penColor = color;
    replacePen();
}

void CPaintPort::setLineDash(int32_t style)
{
    lineStyle = style;
    gdiPenStyle = style == 1 ? PS_DOT : PS_SOLID;
    replacePen();
}

void CPaintPort::setBrushColor(PortColor color)
{
    brushColor = color;
    SetBkColor(context, toColorRef(color));
    LOGBRUSH description = {BS_SOLID, toColorRef(color), 0};
    HBRUSH created = CreateBrushIndirect(&description);
    if (!created)
    {
        // Nothing to tell anyone: the old brush simply stays in use.
        GetLastError();
        return;
    }
    takeOver(context, brush, created);
}

void CPaintPort::setTextColor(PortColor color)
{
    textColor = color;
    SetTextColor(context, toColorRef(color));
}

void CPaintPort::selectFont(PortFontId id, int32_t size)
{
    const FontEntry& entry = fontEntry(id);
    LOGFONTA description = {};
    // Negative: a character height in pixels, not a cell height.
    description.lfHeight = -(size != 0 ? size : entry.size);
    description.lfWeight = entry.weight;
    description.lfCharSet = ANSI_CHARSET;
    description.lfOutPrecision = OUT_STRING_PRECIS;
    description.lfClipPrecision = CLIP_STROKE_PRECIS;
    description.lfQuality = DEFAULT_QUALITY;
    description.lfPitchAndFamily = entry.pitchAndFamily;
    std::strncpy(description.lfFaceName, entry.face, LF_FACESIZE - 1);
    HFONT created = CreateFontIndirectA(&description);
    takeOver(context, font, created);
}

void CPaintPort::paintRect(const PortRect& rect)
{
    HGDIOBJ previous = SelectObject(context, GetStockObject(NULL_PEN));
    const RECT area = {rect.left, rect.top, rect.right, rect.bottom};
    FillRect(context, &area, brush);
    SelectObject(context, previous);
}

void CPaintPort::paintPolygon(const PortPoint* points, int32_t count)
{
    HGDIOBJ previous = SelectObject(context, GetStockObject(NULL_PEN));
    // PortPoint and POINT are both two 32-bit coordinates.
    static_assert(sizeof(PortPoint) == sizeof(POINT), "PortPoint must match POINT");
    Polygon(context, reinterpret_cast<const POINT*>(points), count);
    SelectObject(context, previous);
}

void CPaintPort::plotPixel(PortPoint point, PortColor color)
{
    SetPixel(context, point.x, point.y, toColorRef(color));
}

void CPaintPort::writeText(const char* text, const PortRect& rect, int32_t opaque,
                           int32_t alignment)
{
    if (!text)
        return;
    SetBkMode(context, opaque ? OPAQUE : TRANSPARENT);
    UINT format = DT_SINGLELINE | DT_VCENTER;
    if (alignment == 1)
        format |= DT_CENTER;
    else if (alignment == 2)
        format |= DT_RIGHT;
    else
        format |= DT_LEFT;
    RECT area = {rect.left, rect.top, rect.right, rect.bottom};
    DrawTextA(context, text, static_cast<int>(std::strlen(text)), &area, format);
    SetBkMode(context, TRANSPARENT);
}

int32_t CPaintPort::readButtons() const
{
    const int keys[] = {VK_LBUTTON, VK_MBUTTON, VK_RBUTTON, VK_SHIFT, VK_CONTROL, VK_MENU};
    int32_t buttons = 0;
    for (int i = 0; i < 6; ++i)
    {
        if (GetAsyncKeyState(keys[i]) & 0x8000)
            buttons |= 1 << i;
    }
    return buttons;
}

PortPoint CPaintPort::readPointer() const
{
    POINT point = {0, 0};
    GetCursorPos(&point);
    MapWindowPoints(HWND_DESKTOP, window, &point, 1);
    return {point.x, point.y};
}
