#include "editor/CorrelationRangeView.h"

#include "editor/ValueScale.h"

CCorrelationRangeView::CCorrelationRangeView(const PortRect& rect, CSkinBitmap* background)
    : CPaintView(rect, background), scale(std::make_unique<CValueScale>(0)), range(), held(0),
      parts(), shown()
{
    mapRange(*scale, rect.right - rect.left);
}

CCorrelationRangeView::~CCorrelationRangeView() = default;

void CCorrelationRangeView::setCorrelation(float value)
{
    range.take(value);
    reckon();
}

void CCorrelationRangeView::resetRange()
{
    range.reset();
    reckon();
}

void CCorrelationRangeView::reckon()
{
    parts = rangeParts(*scale, range, rect.right - rect.left, rect.bottom - rect.top);
    changed = !picture || !(parts == shown);
}

void CCorrelationRangeView::compose(COffscreenPort& picture, bool /*fresh*/)
{
    picture.restoreBackground();
    drawRange(pixelArea(picture), parts);
    shown = parts;
}

void CCorrelationRangeView::refresh(CPaintPort& port)
{
    if (held)
        followButton(port);
    CPaintView::refresh(port);
}

void CCorrelationRangeView::onMouseDown(CPaintPort& port, PortPoint /*where*/)
{
    // The left button alone resets; a modifier key or another button does
    // nothing. While it stays down, every refresh pass looks at it again, so
    // the window keeps painting meanwhile.
    held = 1;
    followButton(port);
}

void CCorrelationRangeView::followButton(CPaintPort& port)
{
    if (port.readButtons() != kButtonLeft)
    {
        held = 0;
        return;
    }
    if (contains(port.readPointer()))
        resetRange();
}
