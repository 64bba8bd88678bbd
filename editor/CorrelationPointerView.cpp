#include "editor/CorrelationPointerView.h"

#include "editor/ValueScale.h"

CCorrelationPointerView::CCorrelationPointerView(const PortRect& rect, CSkinBitmap* background,
                                                 int32_t halfBase)
    : CPaintView(rect, background), halfBase(halfBase), baseRow(rect.bottom - rect.top - 1),
      triangle(), currentColor(kColorCorrNeutral), scale(std::make_unique<CValueScale>(0)),
      shape(pointerShape(halfBase, baseRow)), shown{false, 0, 0}
{
    mapPointer(*scale, rect.right - rect.left);
    setCorrelation(0.0f);
}

CCorrelationPointerView::~CCorrelationPointerView() = default;

void CCorrelationPointerView::setCorrelation(float value)
{
    currentColor = correlationColor(value);
    const int32_t x = pointerColumn(*scale, value);
    triangle[0] = {x, 0};
    triangle[1] = {x + halfBase, baseRow};
    triangle[2] = {x - halfBase, baseRow};
    changed = !picture || !(wouldShow() == shown);
}

CCorrelationPointerView::Shown CCorrelationPointerView::wouldShow() const
{
    const int32_t x = triangle[0].x;
    const bool visible = x >= -halfBase && x - halfBase < rect.right - rect.left;
    return {visible, x, pixelOf(currentColor)};
}

void CCorrelationPointerView::compose(COffscreenPort& picture, bool /*fresh*/)
{
    picture.restoreBackground();
    const Shown now = wouldShow();
    if (now.visible)
        drawPointer(pixelArea(picture), shape, now.x, now.color);
    shown = now;
}
