#include "lv2/SizeMenu.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "render/PanelGeometry.h"

namespace
{
constexpr int32_t kLineHeight = 20;
constexpr int32_t kWidth = 136;
constexpr int32_t kSizeLines = sizeof(kPanelSizes) / sizeof(kPanelSizes[0]);
// The sizes, then the bands.
constexpr int32_t kLines = kSizeLines + 1;
const char kBandsLabel[] = "Bands and history";
} // namespace

void CSizeMenu::openAt(int32_t x, int32_t y, int32_t panelWidth, int32_t panelHeight,
                       int32_t currentSize, bool bandsShown)
{
    bands = bandsShown;
    const int32_t height = kLines * kLineHeight;
    const int32_t left = std::max(0, std::min(x, panelWidth - kWidth));
    const int32_t top = std::max(0, std::min(y, panelHeight - height));
    place = {left, top, left + kWidth, top + height};
    current = currentSize;
    open = true;
}

int32_t CSizeMenu::choiceAt(int32_t x, int32_t y) const
{
    if (!open || x < place.left || x >= place.right || y < place.top || y >= place.bottom)
        return 0;
    const int32_t line = (y - place.top) / kLineHeight;
    return line < kSizeLines ? kPanelSizes[line] : kBandsChoice;
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
        char label[32];
        const bool sizeLine = line < kSizeLines;
        if (sizeLine)
            std::snprintf(label, sizeof label, "%d %%", static_cast<int>(kPanelSizes[line]));
        else
            std::snprintf(label, sizeof label, "%s", kBandsLabel);
        XDrawString(display, window, gc, place.left + 24, top + 14, label,
                    static_cast<int>(std::strlen(label)));
        if (sizeLine ? kPanelSizes[line] == current : bands)
            XFillRectangle(display, window, gc, place.left + 9, top + 7, 6, 6);
    }
}
