#pragma once
// How every view of the editor draws: it keeps a 32-bit picture of its own
// size with its background for as long as it lives, composes each frame by
// writing its marks straight into the picture's pixels, and puts the whole on
// the window in one copy, so that no half-drawn view is ever seen and nothing
// is made per frame.

#include <cstdint>
#include <memory>

#include "gui/OffscreenPort.h"
#include "gui/SkinBitmap.h"
#include "gui/Widget.h"

// Makes the view's picture, its background picture on black, when there is
// none yet or the view's size changed. True when it was made.
inline bool fitPicture(const CWidget& view, const CSkinBitmap* background,
                       std::unique_ptr<COffscreenPort>& picture)
{
    const PortRect& rect = view.getRect();
    const int32_t width = rect.right - rect.left;
    const int32_t height = rect.bottom - rect.top;
    if (picture && picture->getWidth() == width && picture->getHeight() == height)
        return false;
    picture = std::make_unique<COffscreenPort>(view.getParent(), width, height, kColorBlack);
    if (background)
        background->paintTo(*picture, {0, 0, width, height}, {0, 0});
    picture->keepBackground();
    return true;
}

// Fills the part of the rectangle that lies inside the picture, right and
// bottom edges left out, as a brush fills it.
inline void fillPixels(COffscreenPort& picture, const PortRect& rect, PortColor color)
{
    uint32_t* pixels = picture.getPixels();
    const int32_t width = picture.getWidth();
    const int32_t left = rect.left < 0 ? 0 : rect.left;
    const int32_t top = rect.top < 0 ? 0 : rect.top;
    const int32_t right = rect.right > width ? width : rect.right;
    const int32_t bottom = rect.bottom > picture.getHeight() ? picture.getHeight() : rect.bottom;
    const uint32_t value = COffscreenPort::pixelOf(color);
    for (int32_t y = top; pixels && y < bottom; ++y)
        for (int32_t x = left; x < right; ++x)
            pixels[y * width + x] = value;
}
