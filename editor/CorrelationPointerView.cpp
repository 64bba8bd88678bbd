#include "editor/CorrelationPointerView.h"

#include "editor/CorrelationRangeView.h"
#include "editor/PaintView.h"
#include "editor/PixelPosition.h"
#include "editor/ValueScale.h"

namespace
{
// The apex sits on the top row, the base is this far to each side of it, on
// the row below.
const int32_t kHalfBase = 3;
const int32_t kBaseRow = 7;
} // namespace

CCorrelationPointerView::CCorrelationPointerView(const PortRect& rect, CSkinBitmap* background)
    : CWidget(rect), changed(0), negativeColor(kColorCorrNegative), neutralColor(kColorCorrNeutral),
      positiveColor(kColorCorrPositive), triangle(), currentColor(kColorCorrNeutral),
      background(background), scale(std::make_unique<CValueScale>(0)), picture(),
      shape(), shown{false, 0, 0}
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
    triangle[1] = {x + kHalfBase, kBaseRow};
    triangle[2] = {x - kHalfBase, kBaseRow};
    changed = !picture || !(wouldShow() == shown);
}

CCorrelationPointerView::Shown CCorrelationPointerView::wouldShow() const
{
    const int32_t x = triangle[0].x;
    const bool visible = x >= -kHalfBase && x - kHalfBase < rect.right - rect.left;
    return {visible, x, COffscreenPort::pixelOf(currentColor)};
}

void CCorrelationPointerView::traceTriangle()
{
    // Drawn once by GDI on black, so that the pointer has exactly the pixels
    // GDI gives this triangle wherever it stands.
    const int32_t width = 2 * kHalfBase + 3;
    const int32_t height = kBaseRow + 1;
    COffscreenPort scratch(getParent(), width, height, kColorBlack);
    const int32_t apex = kHalfBase + 1;
    const PortPoint corners[3] = {
        {apex, 0}, {apex + kHalfBase, kBaseRow}, {apex - kHalfBase, kBaseRow}};
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

void CCorrelationPointerView::paint(CPaintPort& port)
{
    if (fitPicture(*this, background, picture))
        traceTriangle();
    picture->restoreBackground();
    const Shown now = wouldShow();
    uint32_t* pixels = picture->getPixels();
    const int32_t width = picture->getWidth();
    const int32_t height = picture->getHeight();
    for (const PortPoint& offset : shape)
    {
        const int32_t x = now.x + offset.x;
        if (now.visible && pixels && x >= 0 && x < width && offset.y < height)
            pixels[offset.y * width + x] = now.color;
    }
    shown = now;
    picture->copyTo(port, rect, {0, 0});
}

void CCorrelationPointerView::refresh(CPaintPort& port)
{
    if (!changed)
        return;
    changed = 0;
    paint(port);
}
