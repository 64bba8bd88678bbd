#include "editor/ScopeView.h"

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
    const PortPoint centre = scopePixel(*xScale, *yScale, 0.0f, 0.0f);
    for (int32_t i = 0; i < pointCount; ++i)
        points[i] = centre;
}

CScopeView::~CScopeView() = default;

void CScopeView::setScales(float xLow, float xHigh, float yLow, float yHigh, PortColor color)
{
    dotColor = color;
    mapScope(*xScale, *yScale, rect.right - rect.left, rect.bottom - rect.top, xLow, xHigh, yLow,
             yHigh);
}

void CScopeView::setPoints(const float* xs, const float* ys)
{
    for (int32_t i = 0; i < pointCount; ++i)
        points[i] = scopePixel(*xScale, *yScale, xs[i], ys[i]);
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
    if (picture.getPixels())
    {
        for (int32_t index : plotted)
            picture.restorePixel(index);
        plotted.clear();
        plotDots(pixelArea(picture), points.data(), static_cast<int32_t>(points.size()), dotSize,
                 pixelOf(dotColor), &plotted);
    }
    drawn = points;
}
