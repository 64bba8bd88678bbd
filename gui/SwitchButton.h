#pragma once

#include "gui/ValueWidget.h"

class CSkinBitmap;

// A two-state button. Its picture holds the off state in the upper half and
// the on state in the lower half.
class CSwitchButton : public CValueWidget
{
  public:
    // Holds one reference to the picture, which may be empty.
    CSwitchButton(const PortRect& rect, CValueListener* listener, int32_t tag,
                  CSkinBitmap* picture);
    ~CSwitchButton() override;

    void paint(CPaintPort& port) override;
    // Either mouse button toggles, unless the button is not clickable.
    void onMouseDown(CPaintPort& port, PortPoint where) override;

  private:
    CSkinBitmap* picture;
};
