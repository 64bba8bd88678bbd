#pragma once
// Where the panel's parts sit at each of its sizes, and how large its marks
// are drawn there: the Windows editor builds its views from these, and the
// portable renderer draws at the same places.

#include <cstdint>

#include "editor/EditorLayout.h"
#include "gui/PortTypes.h"
#include "resources/ResourceIds.h"

// The sizes, in per cent of the 100 % panel, smallest first.
constexpr int32_t kPanelSizes[] = {ZOOM_SIZES};

inline bool isPanelSize(int32_t percent)
{
    for (int32_t size : kPanelSizes)
        if (size == percent)
            return true;
    return false;
}

// The size for a screen of that DPI, where 96 DPI is 100 %: the largest
// size whose DPI is not above it, and the smallest for smaller ones.
inline int32_t zoomForDpi(int32_t dpi)
{
    int32_t chosen = kPanelSizes[0];
    for (int32_t size : kPanelSizes)
        if (static_cast<int64_t>(dpi) * 100 >= static_cast<int64_t>(size) * 96)
            chosen = size;
    return chosen;
}

// Lengths and positions at a size: scaled and truncated, so that every edge
// of the 100 % layout lands on one pixel and adjacent areas stay adjacent.
constexpr int32_t zoomed(int32_t length, int32_t percent)
{
    return length * percent / 100;
}

constexpr PortRect zoomed(const PortRect& rect, int32_t percent)
{
    return {zoomed(rect.left, percent), zoomed(rect.top, percent), zoomed(rect.right, percent),
            zoomed(rect.bottom, percent)};
}

// A dot of one pixel at 100 % is a square of two at 150 % too: one pixel
// there would shrink it to less than half its area, two make it a little
// heavier, and on a screen of 144 DPI it still reads as a dot.
constexpr int32_t scopeDotSize(int32_t percent)
{
    return percent >= 150 ? 2 : 1;
}

// How far the pointer's base reaches to each side of its apex.
constexpr int32_t kPointerHalfBase = 3;
constexpr int32_t pointerHalfBase(int32_t percent)
{
    return zoomed(kPointerHalfBase, percent);
}

// The MONO switch at its place: as wide as its picture, as high as one of
// the picture's two states, which lie one above the other.
constexpr PortRect monoButtonArea(int32_t percent, int32_t pictureWidth, int32_t pictureHeight)
{
    const PortRect place = zoomed(kMonoButtonArea, percent);
    return {place.left, place.top, place.left + pictureWidth, place.top + pictureHeight / 2};
}

// The whole panel at a size, with the strip of "Bands and history" below it
// or without.
constexpr PortRect panelArea(int32_t percent, bool withBands)
{
    return zoomed({0, 0, kPanelArea.right, withBands ? kBandsPanelArea.bottom : kPanelArea.bottom},
                  percent);
}
