#pragma once
// How every view of the editor redraws: its background picture in an
// off-screen bitmap of the view's size, the view's marks on top, and the
// whole put on the window in one copy, so no half-drawn view is ever seen.

#include <cstdint>

#include "gui/OffscreenPort.h"
#include "gui/SkinBitmap.h"
#include "gui/Widget.h"

// marks(offscreen, width, height) draws in the view's own coordinates.
template <typename Marks>
void paintView(const CWidget& view, CPaintPort& port, const CSkinBitmap* background, Marks marks)
{
    const PortRect& rect = view.getRect();
    const int32_t width = rect.right - rect.left;
    const int32_t height = rect.bottom - rect.top;
    COffscreenPort offscreen(view.getParent(), width, height, kColorBlack);
    if (background)
        background->paintTo(offscreen, {0, 0, width, height}, {0, 0});
    marks(offscreen, width, height);
    offscreen.copyTo(port, rect, {0, 0});
}
