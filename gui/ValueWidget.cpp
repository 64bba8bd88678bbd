#include "gui/ValueWidget.h"

#include "gui/IdleOwner.h"
#include "gui/ValueListener.h"
#include "gui/WidgetFrame.h"

CValueWidget::CValueWidget(const PortRect& rect, CValueListener* listener, int32_t tag)
    : CWidget(rect), listener(listener), tag(tag), clickable(1), shownValue(-1.0f), value(0.0f),
      lowest(0.0f), highest(1.0f)
{
}

CValueWidget::~CValueWidget() = default;

void CValueWidget::refresh(CPaintPort& port)
{
    if (shownValue != value)
    {
        paint(port);
        shownValue = value;
    }
}

bool CValueWidget::hasNews() const
{
    return shownValue != value;
}

void CValueWidget::idleEditorNow()
{
    if (parent && parent->getOwner())
        parent->getOwner()->doIdle();
}

void CValueWidget::notifyListener(CPaintPort& port)
{
    if (listener)
        listener->onValueChanged(port, this);
}

void CValueWidget::setValue(float newValue)
{
    value = newValue;
}

float CValueWidget::getValue() const
{
    return value;
}

void CValueWidget::setLowest(float newLowest)
{
    lowest = newLowest;
}

float CValueWidget::getLowest() const
{
    return lowest;
}

void CValueWidget::setHighest(float newHighest)
{
    highest = newHighest;
}

float CValueWidget::getHighest() const
{
    return highest;
}

void CValueWidget::setShownValue(float newShownValue)
{
    shownValue = newShownValue;
}

float CValueWidget::getShownValue() const
{
    return shownValue;
}

void CValueWidget::setClickable(uint8_t flag)
{
    clickable = flag;
}

uint8_t CValueWidget::isClickable() const
{
    return clickable;
}
