#include "editor/CorrelationRangeView.h"

#include "editor/PixelPosition.h"
#include "editor/ValueScale.h"

#include <algorithm>

CCorrelationRangeView::CCorrelationRangeView(const PortRect& rect, CSkinBitmap* background)
    : CPaintView(rect, background), lowEnd(), band(), highEnd(), negativeColor(kColorCorrNegative),
      neutralColor(kColorCorrNeutral), positiveColor(kColorCorrPositive),
      scale(std::make_unique<CValueScale>(0)), minimum(0.0f), maximum(0.0f), waiting(1), held(0),
      shown()
{
    scale->setRanges(-1.0f, 1.0f, 0.0f, static_cast<float>(rect.right - rect.left - 1));
    // Only the left and right edges ever move.
    const int32_t height = rect.bottom - rect.top;
    lowEnd.bottom = band.bottom = highEnd.bottom = height;
}

CCorrelationRangeView::~CCorrelationRangeView() = default;

void CCorrelationRangeView::setCorrelation(float value)
{
    if (waiting)
    {
        if (value != 0.0f)
        {
            waiting = 0;
            minimum = maximum = value;
        }
    }
    else if (value > maximum)
        maximum = value;
    else if (value < minimum)
        minimum = value;

    float negative = kNegativeThreshold;
    float positive = kPositiveThreshold;
    const int32_t low = toPixel(scale->toOutput(&minimum));
    const int32_t high = toPixel(scale->toOutput(&maximum));
    band.left = low;
    band.right = high;
    // An end that is not reached keeps its old edges; it is not drawn.
    if (minimum < kNegativeThreshold)
    {
        lowEnd.left = low;
        lowEnd.right = maximum > kNegativeThreshold ? toPixel(scale->toOutput(&negative)) : high;
    }
    if (maximum > kPositiveThreshold)
    {
        highEnd.left = minimum < kPositiveThreshold ? toPixel(scale->toOutput(&positive)) : low;
        highEnd.right = high;
    }
    changed = !picture || !(wouldShow() == shown);
}

bool CCorrelationRangeView::Shown::operator==(const Shown& other) const
{
    for (int32_t i = 0; i < 3; ++i)
    {
        const PortRect& a = parts[i];
        const PortRect& b = other.parts[i];
        if (a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom)
            return false;
    }
    return true;
}

CCorrelationRangeView::Shown CCorrelationRangeView::wouldShow() const
{
    const int32_t width = rect.right - rect.left;
    const int32_t height = rect.bottom - rect.top;
    auto onBar = [&](const PortRect& part, bool drawn)
    {
        const PortRect clipped = {std::max(part.left, 0), std::max(part.top, 0),
                                  std::min(part.right, width), std::min(part.bottom, height)};
        if (!drawn || clipped.left >= clipped.right || clipped.top >= clipped.bottom)
            return PortRect{0, 0, 0, 0};
        return clipped;
    };
    return {{onBar(band, !waiting), onBar(lowEnd, !waiting && minimum < kNegativeThreshold),
             onBar(highEnd, !waiting && maximum > kPositiveThreshold)}};
}

void CCorrelationRangeView::resetRange()
{
    waiting = 1;
    setCorrelation(0.0f);
}

void CCorrelationRangeView::compose(COffscreenPort& picture, bool /*fresh*/)
{
    picture.restoreBackground();
    // Yellow first; the red and green ends go over it.
    const Shown now = wouldShow();
    fillPixels(picture, now.parts[0], neutralColor);
    fillPixels(picture, now.parts[1], negativeColor);
    fillPixels(picture, now.parts[2], positiveColor);
    shown = now;
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
