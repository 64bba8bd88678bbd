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
      background(background), scale(std::make_unique<CValueScale>(0))
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
    changed = 1;
}

void CCorrelationPointerView::paint(CPaintPort& port)
{
    paintView(*this, port, background,
              [&](COffscreenPort& offscreen, int32_t, int32_t)
              {
                  offscreen.setBrushColor(currentColor);
                  offscreen.paintPolygon(triangle.data(), 3);
              });
}

void CCorrelationPointerView::refresh(CPaintPort& port)
{
    if (!changed)
        return;
    changed = 0;
    paint(port);
}
