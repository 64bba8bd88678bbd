#include "editor/ScopeView.h"

#include "editor/PixelPosition.h"
#include "editor/ValueScale.h"

#include <algorithm>

CScopeView::CScopeView(const PortRect& rect, int32_t pointCount, CSkinBitmap* background,
                       int32_t dotSize)
    : CPaintView(rect, background), pointCount(pointCount), dotSize(dotSize < 1 ? 1 : dotSize),
      points(pointCount > 0 ? pointCount : 0), dotColor(kColorScopeDots),
      xScale(std::make_unique<CValueScale>(0)), yScale(std::make_unique<CValueScale>(0)), drawn(),
      plotted()
{
    plotted.reserve(points.size() * this->dotSize * this->dotSize);
    setScales(-kRange, kRange, -kRange, kRange, kColorScopeDots);
    const float zero = 0.0f;
    const PortPoint centre = {toPixel(xScale->toOutput(&zero)), toPixel(yScale->toOutput(&zero))};
    for (int32_t i = 0; i < pointCount; ++i)
        points[i] = centre;
}

CScopeView::~CScopeView() = default;

void CScopeView::setScales(float xLow, float xHigh, float yLow, float yHigh, PortColor color)
{
    dotColor = color;
    const float lastColumn = static_cast<float>(rect.right - rect.left - 1);
    const float lastRow = static_cast<float>(rect.bottom - rect.top - 1);
    xScale->setRanges(xLow, xHigh, 0.0f, lastColumn);
    // Upside down: larger values are drawn higher up.
    yScale->setRanges(yLow, yHigh, lastRow, 0.0f);
}

void CScopeView::setPoints(const float* xs, const float* ys)
{
    for (int32_t i = 0; i < pointCount; ++i)
        points[i] = {toPixel(xScale->toOutput(&xs[i])), toPixel(yScale->toOutput(&ys[i]))};
    // The same dots as on screen are no news.
    changed = !picture || drawn.size() != points.size() ||
              !std::equal(points.begin(), points.end(), drawn.begin(),
                          [](const PortPoint& a, const PortPoint& b)
                          { return a.x == b.x && a.y == b.y; });
}

void CScopeView::compose(COffscreenPort& picture, bool fresh)
{
    if (fresh)
        plotted.clear();
    uint32_t* pixels = picture.getPixels();
    if (pixels)
    {
        for (int32_t index : plotted)
            picture.restorePixel(index);
        plotted.clear();
        const int32_t width = picture.getWidth();
        const int32_t height = picture.getHeight();
        const uint32_t dot = COffscreenPort::pixelOf(dotColor);
        for (const PortPoint& point : points)
        {
            // Values beyond the range fall outside the picture and leave no
            // mark; a larger dot is cut at the picture's edges.
            for (int32_t y = point.y; y < point.y + dotSize; ++y)
                for (int32_t x = point.x; x < point.x + dotSize; ++x)
                    if (x >= 0 && x < width && y >= 0 && y < height)
                    {
                        const int32_t index = y * width + x;
                        pixels[index] = dot;
                        plotted.push_back(index);
                    }
        }
    }
    drawn = points;
}
