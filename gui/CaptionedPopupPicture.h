#pragma once

#include "gui/PopupPicture.h"

// A popup picture with three lines of text written over it, such as the
// credits picture with its version line.
class CCaptionedPopupPicture : public CPopupPicture
{
  public:
    CCaptionedPopupPicture(const PortRect& rect, CValueListener* listener, int32_t tag,
                           CSkinBitmap* picture, const PortRect& popupRect, PortPoint source);
    ~CCaptionedPopupPicture() override;

    // The texts stay the caller's, who keeps them alive and may change them;
    // they are read on every paint. Nothing is redrawn here.
    void setCaptions(const char* text1, const char* text2, const char* text3, PortRect rect1,
                     PortRect rect2, PortRect rect3);
    // The lines' character height in pixels; 10 unless set.
    void setCaptionSize(int32_t pixels) { captionSize = pixels; }

    // The lines are written only when all three texts are set.
    void paint(CPaintPort& port) override;

  private:
    const char* texts[3];
    PortRect captionRects[3];
    int32_t captionSize;
};
