#include "editor/CorrelationPointerView.h"

#include "editor/CorrelationRangeView.h"
#include "editor/PixelPosition.h"
#include "editor/ValueScale.h"

CCorrelationPointerView::CCorrelationPointerView(const PortRect& rect, CSkinBitmap* background,
                                                 int32_t halfBase)
    : CPaintView(rect, background), halfBase(halfBase), baseRow(rect.bottom - rect.top - 1),
      negativeColor(kColorCorrNegative), neutralColor(kColorCorrNeutral),
      positiveColor(kColorCorrPositive), triangle(), currentColor(kColorCorrNeutral),
      scale(std::make_unique<CValueScale>(0)), shape(), shown{false, 0, 0}
{
    scale->setRanges(-kScaleBound, kScaleBound, 0.0f,
                     static_cast<float>(rect.right - rect.left - 1));
    setCorrelation(0.0f);
}

CCorrelationPointerView::~CCorrelationPointerView() = default;

void CCorrelationPointerView::setCorrelation(float value)
{
    // Exactly +-0.2 counts as neutral.
    if (value > CCorrelationRangeView::kPositiveThreshold)
        currentColor = positiveColor;
    else if (value < CCorrelationRangeView::kNegativeThreshold)
        currentColor = negativeColor;
    else
        currentColor = neutralColor;
    const int32_t x = toPixel(scale->toOutput(&value));
    triangle[0] = {x, 0};
    triangle[1] = {x + halfBase, baseRow};
    triangle[2] = {x - halfBase, baseRow};
    changed = !picture || !(wouldShow() == shown);
}

CCorrelationPointerView::Shown CCorrelationPointerView::wouldShow() const
{
    const int32_t x = triangle[0].x;
    const bool visible = x >= -halfBase && x - halfBase < rect.right - rect.left;
    return {visible, x, COffscreenPort::pixelOf(currentColor)};
}

void CCorrelationPointerView::traceTriangle()
{
    // Drawn once by GDI on black, so that the pointer has exactly the pixels
    // GDI gives this triangle wherever it stands.
    const int32_t width = 2 * halfBase + 3;
    const int32_t height = baseRow + 1;
    COffscreenPort scratch(getParent(), width, height, kColorBlack);
    const int32_t apex = halfBase + 1;
    const PortPoint corners[3] = {
        {apex, 0}, {apex + halfBase, baseRow}, {apex - halfBase, baseRow}};
    scratch.setBrushColor(kColorWhite);
    scratch.paintPolygon(corners, 3);
    GdiFlush();
    shape.clear();
    const uint32_t* pixels = scratch.getPixels();
    for (int32_t y = 0; pixels && y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            if (pixels[y * width + x] == COffscreenPort::pixelOf(kColorWhite))
                shape.push_back({x - apex, y});
}

void CCorrelationPointerView::compose(COffscreenPort& picture, bool fresh)
{
    if (fresh)
        traceTriangle();
    picture.restoreBackground();
    const Shown now = wouldShow();
    uint32_t* pixels = picture.getPixels();
    const int32_t width = picture.getWidth();
    const int32_t height = picture.getHeight();
    for (const PortPoint& offset : shape)
    {
        const int32_t x = now.x + offset.x;
        if (now.visible && pixels && x >= 0 && x < width && offset.y < height)
            pixels[offset.y * width + x] = now.color;
    }
    shown = now;
}
