#include "editor/CorrelationPointerView.h"

#include "editor/CorrelationRangeView.h"
#include "editor/PixelPosition.h"
#include "editor/ValueScale.h"
#include "gui/OffscreenPort.h"
#include "gui/SkinBitmap.h"

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
    const int32_t width = rect.right - rect.left;
    const int32_t height = rect.bottom - rect.top;
    COffscreenPort offscreen(parent, width, height, kColorBlack);
    if (background)
        background->paintTo(offscreen, {0, 0, width, height}, {0, 0});
    offscreen.setBrushColor(currentColor);
    offscreen.paintPolygon(triangle.data(), 3);
    offscreen.copyTo(port, rect, {0, 0});
}

void CCorrelationPointerView::refresh(CPaintPort& port)
{
    if (!changed)
        return;
    changed = 0;
    paint(port);
}
