#pragma once

#include <cstdint>
#include <vector>

#include "gui/PaintPort.h"

class CWidgetFrame;

// A port that draws into a 32-bit memory bitmap whose pixels the owner may
// also write directly, so that a view can compose a whole picture and put it
// on the window in one transfer. A view keeps one for as long as it lives,
// together with a copy of the background it starts every picture from.
class COffscreenPort : public CPaintPort
{
  public:
    // The bitmap starts filled with the background colour. Its pixels are
    // 32-bit whatever the frame's display.
    COffscreenPort(const CWidgetFrame* frame, int32_t width, int32_t height, PortColor background);
    ~COffscreenPort() override;

    void copyTo(CPaintPort& target, const PortRect& destination, PortPoint source) const;

    // Rows top to bottom, getWidth() pixels each, as 0x00rrggbb; empty when
    // the bitmap could not be made. GDI drawing reaches them once it is
    // flushed (GdiFlush).
    uint32_t* getPixels() const { return pixels; }
    // What the pixels hold now becomes the background.
    void keepBackground();
    // Puts the whole background back, or one pixel of it.
    void restoreBackground();
    void restorePixel(int32_t index) { pixels[index] = background[index]; }

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }

    static uint32_t pixelOf(PortColor color) { return ::pixelOf(color); }

  private:
    HBITMAP bitmap;
    HGDIOBJ savedBitmap;
    uint32_t* pixels;
    std::vector<uint32_t> background;
    int32_t height;
    int32_t width;
};
