#include "render/PanelPixels.h"

#include <algorithm>

#include "editor/PixelPosition.h"
#include "editor/ValueScale.h"

PixelPicture::PixelPicture(int32_t width, int32_t height, uint32_t fill)
    : width(std::max(width, 0)), height(std::max(height, 0)),
      pixels(static_cast<size_t>(this->width) * this->height, fill)
{
}

PixelArea PixelPicture::area(const PortRect& rect)
{
    const int32_t left = std::clamp(rect.left, 0, width);
    const int32_t top = std::clamp(rect.top, 0, height);
    const int32_t right = std::clamp(rect.right, left, width);
    const int32_t bottom = std::clamp(rect.bottom, top, height);
    return {pixels.data() + static_cast<size_t>(top) * width + left, right - left, bottom - top,
            width};
}

void fillPixels(const PixelArea& area, const PortRect& rect, uint32_t value)
{
    const int32_t left = std::max(rect.left, 0);
    const int32_t top = std::max(rect.top, 0);
    const int32_t right = std::min(rect.right, area.width);
    const int32_t bottom = std::min(rect.bottom, area.height);
    for (int32_t y = top; area.pixels && y < bottom; ++y)
        for (int32_t x = left; x < right; ++x)
            area.pixels[y * area.stride + x] = value;
}

void copyPixels(const PixelArea& area, PortPoint to, const PixelPicture& source, PortPoint from,
                int32_t width, int32_t height)
{
    // Cut the block to what lies inside both.
    int32_t dx = to.x, dy = to.y, sx = from.x, sy = from.y;
    if (dx < 0)
        sx -= dx, width += dx, dx = 0;
    if (dy < 0)
        sy -= dy, height += dy, dy = 0;
    if (sx < 0)
        dx -= sx, width += sx, sx = 0;
    if (sy < 0)
        dy -= sy, height += sy, sy = 0;
    width = std::min({width, area.width - dx, source.width - sx});
    height = std::min({height, area.height - dy, source.height - sy});
    if (!area.pixels || width <= 0 || height <= 0)
        return;
    for (int32_t y = 0; y < height; ++y)
        std::copy_n(source.pixels.data() + (sy + y) * source.width + sx, width,
                    area.pixels + (dy + y) * area.stride + dx);
}

void mapScope(CValueScale& x, CValueScale& y, int32_t width, int32_t height, float xLow,
              float xHigh, float yLow, float yHigh)
{
    x.setRanges(xLow, xHigh, 0.0f, static_cast<float>(width - 1));
    // Upside down: larger values are drawn higher up.
    y.setRanges(yLow, yHigh, static_cast<float>(height - 1), 0.0f);
}

PortPoint scopePixel(CValueScale& x, CValueScale& y, float side, float mid)
{
    return {toPixel(x.toOutput(&side)), toPixel(y.toOutput(&mid))};
}

void plotDots(const PixelArea& area, const PortPoint* points, int32_t count, int32_t dotSize,
              uint32_t value, std::vector<int32_t>* plotted)
{
    if (!area.pixels)
        return;
    for (int32_t i = 0; i < count; ++i)
    {
        const PortPoint& point = points[i];
        // Points far outside are kept far from the int's limits (toPixel).
        for (int32_t y = std::max(point.y, 0); y < std::min(point.y + dotSize, area.height); ++y)
            for (int32_t x = std::max(point.x, 0); x < std::min(point.x + dotSize, area.width); ++x)
            {
                const int32_t index = y * area.stride + x;
                area.pixels[index] = value;
                if (plotted)
                    plotted->push_back(index);
            }
    }
}

PortColor correlationColor(float value)
{
    if (value > kPositiveThreshold)
        return kColorCorrPositive;
    if (value < kNegativeThreshold)
        return kColorCorrNegative;
    return kColorCorrNeutral;
}

void mapPointer(CValueScale& scale, int32_t width)
{
    scale.setRanges(-kPointerBound, kPointerBound, 0.0f, static_cast<float>(width - 1));
}

int32_t pointerColumn(CValueScale& scale, float value)
{
    return toPixel(scale.toOutput(&value));
}

std::vector<PortPoint> pointerShape(int32_t halfBase, int32_t baseRow)
{
    // GDI fills a polygon without an outline on the rows from its top down
    // to, not including, its bottom row, and on each row the columns from
    // the left edge, inclusive, to the right edge, exclusive, both taken
    // where the row's line crosses them; here in integers, exactly.
    std::vector<PortPoint> shape;
    for (int32_t y = 0; y < baseRow; ++y)
        for (int32_t x = -halfBase; x <= halfBase; ++x)
            if (-halfBase * y <= x * baseRow && x * baseRow < halfBase * y)
                shape.push_back({x, y});
    return shape;
}

void drawPointer(const PixelArea& area, const std::vector<PortPoint>& shape, int32_t column,
                 uint32_t value)
{
    if (!area.pixels)
        return;
    for (const PortPoint& offset : shape)
    {
        // In 64 bits: a column far outside plus an offset stays far outside.
        const int64_t x = static_cast<int64_t>(column) + offset.x;
        if (x >= 0 && x < area.width && offset.y >= 0 && offset.y < area.height)
            area.pixels[offset.y * area.stride + x] = value;
    }
}

void mapRange(CValueScale& scale, int32_t width)
{
    scale.setRanges(-1.0f, 1.0f, 0.0f, static_cast<float>(width - 1));
}

bool RangeParts::operator==(const RangeParts& other) const
{
    auto same = [](const PortRect& a, const PortRect& b)
    { return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom; };
    return same(band, other.band) && same(low, other.low) && same(high, other.high);
}

RangeParts rangeParts(CValueScale& scale, const CCorrelationRange& range, int32_t width,
                      int32_t height)
{
    const RangeParts none = {};
    if (range.isWaiting())
        return none;
    float minimum = range.getMinimum();
    float maximum = range.getMaximum();
    float negative = kNegativeThreshold;
    float positive = kPositiveThreshold;
    const int32_t low = toPixel(scale.toOutput(&minimum));
    const int32_t high = toPixel(scale.toOutput(&maximum));
    auto onBar = [&](int32_t left, int32_t right, bool drawn)
    {
        const PortRect clipped = {std::max(left, 0), 0, std::min(right, width), height};
        if (!drawn || clipped.left >= clipped.right || clipped.top >= clipped.bottom)
            return PortRect{0, 0, 0, 0};
        return clipped;
    };
    // Each end runs from the band's edge to the threshold, or to the band's
    // other edge when the whole band lies beyond the threshold.
    const int32_t lowRight =
        maximum > kNegativeThreshold ? toPixel(scale.toOutput(&negative)) : high;
    const int32_t highLeft =
        minimum < kPositiveThreshold ? toPixel(scale.toOutput(&positive)) : low;
    return {onBar(low, high, true), onBar(low, lowRight, minimum < kNegativeThreshold),
            onBar(highLeft, high, maximum > kPositiveThreshold)};
}

void drawRange(const PixelArea& area, const RangeParts& parts)
{
    fillPixels(area, parts.band, pixelOf(kColorCorrNeutral));
    fillPixels(area, parts.low, pixelOf(kColorCorrNegative));
    fillPixels(area, parts.high, pixelOf(kColorCorrPositive));
}
