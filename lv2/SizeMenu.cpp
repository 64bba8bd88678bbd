#include "lv2/SizeMenu.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "render/PanelGeometry.h"

namespace
{
constexpr int32_t kLineHeight = 20;
constexpr int32_t kWidth = 84;
constexpr int32_t kLines = sizeof(kPanelSizes) / sizeof(kPanelSizes[0]);
} // namespace

void CSizeMenu::openAt(int32_t x, int32_t y, int32_t panelWidth, int32_t panelHeight,
                       int32_t currentSize)
{
    const int32_t height = kLines * kLineHeight;
    const int32_t left = std::max(0, std::min(x, panelWidth - kWidth));
    const int32_t top = std::max(0, std::min(y, panelHeight - height));
    place = {left, top, left + kWidth, top + height};
    current = currentSize;
    open = true;
}

int32_t CSizeMenu::sizeAt(int32_t x, int32_t y) const
{
    if (!open || x < place.left || x >= place.right || y < place.top || y >= place.bottom)
        return 0;
    return kPanelSizes[(y - place.top) / kLineHeight];
}

void CSizeMenu::draw(Display* display, Window window, GC gc, unsigned long background,
                     unsigned long frame, unsigned long text) const
{
    if (!open)
        return;
    const int32_t width = place.right - place.left, height = place.bottom - place.top;
    XSetForeground(display, gc, background);
    XFillRectangle(display, window, gc, place.left, place.top, width, height);
    XSetForeground(display, gc, frame);
    XDrawRectangle(display, window, gc, place.left, place.top, width - 1, height - 1);
    for (int32_t line = 0; line < kLines; ++line)
    {
        const int32_t top = place.top + line * kLineHeight;
        XSetForeground(display, gc, text);
        // The server's default font, which every X server has.
        char label[16];
        std::snprintf(label, sizeof label, "%d %%", static_cast<int>(kPanelSizes[line]));
        XDrawString(display, window, gc, place.left + 24, top + 14, label,
                    static_cast<int>(std::strlen(label)));
        if (kPanelSizes[line] == current)
            XFillRectangle(display, window, gc, place.left + 9, top + 7, 6, 6);
    }
}
