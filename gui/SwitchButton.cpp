#include "gui/SwitchButton.h"

#include "gui/SkinBitmap.h"

#include <cmath>

CSwitchButton::CSwitchButton(const PortRect& rect, CValueListener* listener, int32_t tag,
                             CSkinBitmap* picture)
    : CValueWidget(rect, listener, tag), picture(picture)
{
    if (picture)
        picture->addRef();
}

CSwitchButton::~CSwitchButton()
{
    if (picture)
        picture->release();
}

void CSwitchButton::paint(CPaintPort& port)
{
    if (picture)
    {
        const int32_t row = value == 0.0f ? 0 : picture->getHeight() / 2;
        picture->paintTo(port, rect, {0, row});
    }
    shownValue = value;
}

void CSwitchButton::onMouseDown(CPaintPort& port, PortPoint /*where*/)
{
    if (!clickable)
        return;
    // Anything whose integer part is 0 counts as off, so 0.5 switches on.
    value = std::trunc(value) != 0.0f ? 0.0f : 1.0f;
    paint(port);
    notifyListener(port);
}
