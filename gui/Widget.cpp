#include "gui/Widget.h"

#include "gui/OffscreenPort.h"

CWidget::CWidget(const PortRect& rect) : rect(rect), parent(nullptr), offscreen(nullptr) {}

CWidget::~CWidget() = default;

void CWidget::paint(CPaintPort& /*port*/) {}

void CWidget::onMouseDown(CPaintPort& /*port*/, PortPoint /*where*/) {}

void CWidget::refresh(CPaintPort& /*port*/) {}

void CWidget::attachOffscreen(COffscreenPort* port)
{
    if (port && port->getWidth() >= rect.right - rect.left &&
        port->getHeight() >= rect.bottom - rect.top)
        offscreen = port;
}

bool CWidget::hasNews() const
{
    return true;
}

bool CWidget::contains(PortPoint point) const
{
    return point.x >= rect.left && point.x <= rect.right && point.y >= rect.top &&
           point.y <= rect.bottom;
}
