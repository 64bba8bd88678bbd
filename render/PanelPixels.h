#pragma once
// The pixel rules of the scope's panel, written once: the Windows editor's
// views write their pixels through them, and so does the portable renderer
// that draws the same panel for zwpanel and the LV2 editor. Where GDI draws
// in the editor (the pointer's triangle, the pictures' blits), these give
// the same pixels. Pictures hold 32-bit pixels, 0x00rrggbb (pixelOf), rows
// top to bottom, as the views' off-screen pictures do.

#include <cstdint>
#include <vector>

#include "gui/PortTypes.h"
#include "plugin/CorrelationRange.h"

class CValueScale;

// Part of a picture: its top left pixel, its size, and how far apart in
// pixels its rows lie in the picture it belongs to.
struct PixelArea
{
    uint32_t* pixels;
    int32_t width;
    int32_t height;
    int32_t stride;
};

// A picture that owns its pixels.
struct PixelPicture
{
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;

    PixelPicture() = default;
    PixelPicture(int32_t width, int32_t height, uint32_t fill);
    PixelArea area() { return {pixels.data(), width, height, width}; }
    // The part inside rect (a rectangle of this picture), cut at its edges.
    PixelArea area(const PortRect& rect);
};

// Fills the part of the rectangle inside the area, right and bottom edges
// left out, as a brush fills it.
void fillPixels(const PixelArea& area, const PortRect& rect, uint32_t value);
// Copies a width x height block of the picture from its point `from` to the
// area's point `to`, as a blit does; what lies outside either is left out.
void copyPixels(const PixelArea& area, PortPoint to, const PixelPicture& source, PortPoint from,
                int32_t width, int32_t height);

// The goniometer's range: half its width in side/mid units, the 32-bit
// float 0x3FCE3463.
constexpr float kScopeRange = 1.6109737f;
// x runs across the area from its left edge, y from its bottom row up.
void mapScope(CValueScale& x, CValueScale& y, int32_t width, int32_t height, float xLow,
              float xHigh, float yLow, float yHigh);
PortPoint scopePixel(CValueScale& x, CValueScale& y, float side, float mid);
// Each dot a square of dotSize pixels a side, its top left corner on its
// point, cut at the area's edges; values beyond the range leave no mark.
// Every pixel written is recorded (y * stride + x) when plotted is given.
void plotDots(const PixelArea& area, const PortPoint* points, int32_t count, int32_t dotSize,
              uint32_t value, std::vector<int32_t>* plotted);

// The pointer strip's ends lie a little beyond -1 and +1 (59/57), so that
// the pointer's tip at +-1 meets the printed scale.
constexpr float kPointerBound = 59.0f / 57.0f;
// Green above +0.2, red below -0.2, yellow in between and at both.
constexpr float kNegativeThreshold = -0.2f;
constexpr float kPositiveThreshold = 0.2f;
PortColor correlationColor(float value);
void mapPointer(CValueScale& scale, int32_t width);
int32_t pointerColumn(CValueScale& scale, float value);
// The pixels of the pointer's filled triangle, as offsets from its apex on
// the top row, its base reaching halfBase to each side on baseRow: the
// pixels GDI fills for that polygon without an outline.
std::vector<PortPoint> pointerShape(int32_t halfBase, int32_t baseRow);
// The shape with its apex in that column, cut at the area's edges.
void drawPointer(const PixelArea& area, const std::vector<PortPoint>& shape, int32_t column,
                 uint32_t value);

// The range bar maps -1 .. +1 onto its columns.
void mapRange(CValueScale& scale, int32_t width);
// The bar's three coloured parts as they land in a bar of that size: the
// band from minimum to maximum, its part below -0.2 and its part above
// +0.2. A part that is not drawn, or lies off the bar, is empty.
struct RangeParts
{
    PortRect band;
    PortRect low;
    PortRect high;
    bool operator==(const RangeParts& other) const;
};
RangeParts rangeParts(CValueScale& scale, const CCorrelationRange& range, int32_t width,
                      int32_t height);
// Yellow first; the red and green ends go over it.
void drawRange(const PixelArea& area, const RangeParts& parts);
