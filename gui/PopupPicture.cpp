#include "gui/PopupPicture.h"

#include "gui/SkinBitmap.h"
#include "gui/WidgetFrame.h"

CPopupPicture::CPopupPicture(const PortRect& rect, CValueListener* listener, int32_t tag,
                             CSkinBitmap* picture, const PortRect& popupRect, PortPoint source)
    : CValueWidget(rect, listener, tag), popupRect(popupRect), savedRect(rect), picture(picture),
      source(source)
{
    if (picture)
        picture->addRef();
}

CPopupPicture::~CPopupPicture()
{
    if (picture)
        picture->release();
}

void CPopupPicture::paint(CPaintPort& port)
{
    if (value != 0.0f && picture)
        picture->paintTo(port, popupRect, source);
}

void CPopupPicture::onMouseDown(CPaintPort& port, PortPoint /*where*/)
{
    if (value == 0.0f)
    {
        // Stay closed unless the frame hands over the whole window; a popup
        // marked open without being the exclusive child could never close.
        if (!parent || !parent->setExclusiveChild(this))
            return;
        value = 1.0f;
        savedRect = rect;
        rect = popupRect;
        paint(port);
        notifyListener(port);
        return;
    }
    value = 0.0f;
    rect = savedRect;
    if (parent)
    {
        parent->setExclusiveChild(nullptr);
        parent->paint(port);
    }
    notifyListener(port);
}
