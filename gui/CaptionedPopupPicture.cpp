#include "gui/CaptionedPopupPicture.h"

#include "gui/PaintPort.h"

CCaptionedPopupPicture::CCaptionedPopupPicture(const PortRect& rect, CValueListener* listener,
                                               int32_t tag, CSkinBitmap* picture,
                                               const PortRect& popupRect, PortPoint source)
    : CPopupPicture(rect, listener, tag, picture, popupRect, source),
      texts{nullptr, nullptr, nullptr}, captionRects{}, captionSize(10)
{
}

CCaptionedPopupPicture::~CCaptionedPopupPicture() = default;

void CCaptionedPopupPicture::setCaptions(const char* text1, const char* text2, const char* text3,
                                         PortRect rect1, PortRect rect2, PortRect rect3)
{
    texts[0] = text1;
    texts[1] = text2;
    texts[2] = text3;
    captionRects[0] = rect1;
    captionRects[1] = rect2;
    captionRects[2] = rect3;
}

void CCaptionedPopupPicture::paint(CPaintPort& port)
{
    if (value == 0.0f)
        return;
    CPopupPicture::paint(port);
    if (!texts[0] || !texts[1] || !texts[2])
        return;
    port.selectFont(kFontArial12, captionSize);
    port.setTextColor(kColorCaptionText);
    for (int i = 0; i < 3; ++i)
        port.writeText(texts[i], captionRects[i], 0, 0);
}
