#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/PanelPixels.h"

class CCorrelationHistory;
class CValueScale;

// What "Bands and history" adds below the panel: the three band meters
// (low, mid, high), each a bar from 0 to the band's correlation in the
// meter's colour for it, and the history strip, each column a bar from 0 to
// the lowest correlation of its blocks, newest at the right. The Windows
// editor's view and the portable renderer both draw it through this, over
// the strip's picture (IDB_BANDS_BACKGROUND) at the same size.
class CBandsStrip
{
  public:
    static constexpr int32_t kMeterCount = 3;

    explicit CBandsStrip(int32_t zoom);
    ~CBandsStrip();

    CBandsStrip(const CBandsStrip&) = delete;
    CBandsStrip& operator=(const CBandsStrip&) = delete;

    // Where the strip lies on the panel at a size; the meters and the
    // history are placed inside it. Empty outside the panel's sizes.
    static PortRect placeAt(int32_t zoom);
    const PortRect& getPlace() const { return place; }
    // Reads kMeterCount values, low first; NaN shows nothing.
    void setBands(const float* values);
    void setHistory(const CCorrelationHistory& history);
    // Whether drawing now would change what the last draw left.
    bool isChanged() const { return !drawn || !(marks == drawnMarks); }
    // Writes the marks into the strip's area, which holds its background.
    void draw(const PixelArea& strip);

  private:
    // What lands on the pixels: the meters' bars, the history's column
    // spans (top row, bottom row exclusive) and their colours.
    struct Marks
    {
        PortRect bars[kMeterCount];
        uint32_t barPixels[kMeterCount];
        std::vector<PortRect> spans;
        std::vector<uint32_t> spanPixels;
        bool operator==(const Marks& other) const;
    };

    PortRect place;
    PortRect meters[kMeterCount];
    PortRect history;
    std::unique_ptr<CValueScale> meterScale;
    std::unique_ptr<CValueScale> historyScale;
    std::vector<float> columns;
    Marks marks;
    Marks drawnMarks;
    bool drawn;
};
