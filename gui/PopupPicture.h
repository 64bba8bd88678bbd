#pragma once

#include "gui/ValueWidget.h"

class CSkinBitmap;

// A click area that, when clicked, lays a picture over the frame until the
// picture itself is clicked. While open it is the frame's exclusive child and
// its rectangle is the picture's, so every click inside the picture closes it.
class CPopupPicture : public CValueWidget
{
  public:
    // rect is the click area; the picture is shown in popupRect starting at
    // source inside the picture. Holds one reference to the picture.
    CPopupPicture(const PortRect& rect, CValueListener* listener, int32_t tag, CSkinBitmap* picture,
                  const PortRect& popupRect, PortPoint source);
    ~CPopupPicture() override;

    // Draws nothing while closed, so the frame's background shows.
    void paint(CPaintPort& port) override;
    void onMouseDown(CPaintPort& port, PortPoint where) override;

    bool isOpen() const { return value != 0.0f; }

  protected:
    PortRect popupRect;
    PortRect savedRect;
    CSkinBitmap* picture;
    PortPoint source;
};
