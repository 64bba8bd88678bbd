#include "editor/ScopeView.h"

#include "editor/PaintView.h"
#include "editor/PixelPosition.h"
#include "editor/ValueScale.h"

#include <algorithm>

CScopeView::CScopeView(const PortRect& rect, int32_t pointCount, CSkinBitmap* background)
    : CWidget(rect), pointCount(pointCount), changed(0), points(pointCount > 0 ? pointCount : 0),
      dotColor(kColorScopeDots), background(background), xScale(std::make_unique<CValueScale>(0)),
      yScale(std::make_unique<CValueScale>(0)), picture(), drawn(), plotted()
{
    plotted.reserve(points.size());
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

void CScopeView::paint(CPaintPort& port)
{
    if (fitPicture(*this, background, picture))
        plotted.clear();
    uint32_t* pixels = picture->getPixels();
    if (pixels)
    {
        for (int32_t index : plotted)
            picture->restorePixel(index);
        plotted.clear();
        const int32_t width = picture->getWidth();
        const int32_t height = picture->getHeight();
        const uint32_t dot = COffscreenPort::pixelOf(dotColor);
        for (const PortPoint& point : points)
        {
            // Values beyond the range fall outside the picture and leave no
            // mark.
            if (point.x >= 0 && point.x < width && point.y >= 0 && point.y < height)
            {
                const int32_t index = point.y * width + point.x;
                pixels[index] = dot;
                plotted.push_back(index);
            }
        }
    }
    drawn = points;
    picture->copyTo(port, rect, {0, 0});
}

void CScopeView::refresh(CPaintPort& port)
{
    if (!changed)
        return;
    changed = 0;
    paint(port);
}
