#pragma once

#include "gui/PaintPort.h"

class CWidgetFrame;

// A port that draws into a memory bitmap, so that a view can compose a whole
// picture and put it on the window in one transfer.
class COffscreenPort : public CPaintPort
{
  public:
    // The bitmap is compatible with the frame's parent window and starts
    // filled with the background colour.
    COffscreenPort(const CWidgetFrame* frame, int32_t width, int32_t height, PortColor background);
    ~COffscreenPort() override;

    void copyTo(CPaintPort& target, const PortRect& destination, PortPoint source) const;

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }

  private:
    HBITMAP bitmap;
    uint8_t ownsBitmap;
    int32_t height;
    int32_t width;
};
