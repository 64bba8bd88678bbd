#include "editor/CorrelationRangeView.h"

#include "editor/PaintView.h"
#include "editor/PixelPosition.h"
#include "editor/ValueScale.h"

CCorrelationRangeView::CCorrelationRangeView(const PortRect& rect, CSkinBitmap* background)
    : CWidget(rect), changed(0), lowEnd(), band(), highEnd(), negativeColor(kColorCorrNegative),
      neutralColor(kColorCorrNeutral), positiveColor(kColorCorrPositive), background(background),
      scale(std::make_unique<CValueScale>(0)), minimum(0.0f), maximum(0.0f), waiting(1), held(0)
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
    changed = 1;
}

void CCorrelationRangeView::resetRange()
{
    waiting = 1;
    setCorrelation(0.0f);
}

void CCorrelationRangeView::paint(CPaintPort& port)
{
    paintView(*this, port, background,
              [&](COffscreenPort& offscreen, int32_t, int32_t)
              {
                  if (waiting)
                      return;
                  offscreen.setBrushColor(neutralColor);
                  offscreen.paintRect(band);
                  if (minimum < kNegativeThreshold)
                  {
                      offscreen.setBrushColor(negativeColor);
                      offscreen.paintRect(lowEnd);
                  }
                  if (maximum > kPositiveThreshold)
                  {
                      offscreen.setBrushColor(positiveColor);
                      offscreen.paintRect(highEnd);
                  }
              });
}

void CCorrelationRangeView::refresh(CPaintPort& port)
{
    if (held)
        followButton(port);
    if (!changed)
        return;
    changed = 0;
    paint(port);
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
