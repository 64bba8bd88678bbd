#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "plugin/CorrelationRange.h"
#include "render/BandsStrip.h"
#include "render/PanelPixels.h"

class CCorrelationHistory;
class CValueScale;

// The editor's pictures drawn for one size, as 32-bit pictures: the panel's
// background, the MONO switch (its two states one above the other), the
// backgrounds of the scope, the pointer strip and the range bar, and the
// strip that "Bands and history" adds below the panel.
struct PanelArt
{
    int32_t zoom = 0;
    PixelPicture background;
    PixelPicture monoButton;
    PixelPicture scope;
    PixelPicture pointerStrip;
    PixelPicture rangeBar;
    PixelPicture bands;
};

// The scope's panel as the Windows editor shows it, without Windows: the
// goniometer's dots, the correlation pointer, the range bar and the MONO
// switch over the panel's background, composed into one 32-bit picture by
// the editor's own pixel rules (render/PanelPixels.h), at one of its sizes;
// with bands, the band meters and the history below it (CBandsStrip).
// Like the editor's views it draws a part again only when what the part
// shows would change, and says where the picture changed.
class CPanelRenderer
{
  public:
    static constexpr int32_t kPointCount = 512;

    // The art stays the caller's, who keeps it alive. Starts as the editor
    // opens: every dot on the centre, the pointer at 0, the range waiting,
    // MONO off, the band meters and the history empty.
    explicit CPanelRenderer(const PanelArt& art, bool withBands = false);
    ~CPanelRenderer();

    CPanelRenderer(const CPanelRenderer&) = delete;
    CPanelRenderer& operator=(const CPanelRenderer&) = delete;

    // Reads kPointCount side (x) and mid (y) values from each array, now only.
    void setPoints(const float* side, const float* mid);
    // What the pointer shows: the meter, or +1 while MONO is on.
    void setPointer(float value);
    void setRange(const CCorrelationRange& range);
    void setMono(bool on);
    // Without bands these change nothing that is drawn.
    void setBands(const float* values) { bands.setBands(values); }
    void setHistory(const CCorrelationHistory& history) { bands.setHistory(history); }
    bool hasBands() const { return withBands; }

    // Draws what changed since the last call into the picture and returns
    // the rectangle that holds the changes; an empty one when nothing did.
    // The first call draws the whole panel.
    PortRect compose();

    int32_t getZoom() const { return art.zoom; }
    int32_t getWidth() const { return panel.width; }
    int32_t getHeight() const { return panel.height; }
    // The picture's pixels, getWidth() a row; they stay in one place for the
    // renderer's life.
    const uint32_t* getPixels() const { return panel.pixels.data(); }
    // Where a click switches MONO, and where one resets the range.
    const PortRect& getMonoArea() const { return monoArea; }
    const PortRect& getRangeArea() const { return rangeArea; }

  private:
    // One of the parts that draw over a background of their own, made as
    // the editor's views make theirs: black, the picture over it.
    struct Part
    {
        PortRect place;
        PixelPicture background;
        bool due;
    };
    void makePart(Part& part, const PortRect& place, const PixelPicture& picture);
    // Puts the part's background back and returns where it lies.
    PixelArea restore(Part& part);

    const PanelArt& art;
    bool withBands;
    PixelPicture panel;
    bool drawn;
    PortRect monoArea;
    PortRect rangeArea;

    Part scope;
    int32_t dotSize;
    std::unique_ptr<CValueScale> xScale;
    std::unique_ptr<CValueScale> yScale;
    std::vector<PortPoint> points;
    std::vector<PortPoint> drawnPoints;

    Part pointer;
    std::unique_ptr<CValueScale> pointerScale;
    std::vector<PortPoint> pointerShape;
    int32_t pointerAt;
    uint32_t pointerPixel;
    int32_t drawnPointerAt;
    uint32_t drawnPointerPixel;

    Part range;
    std::unique_ptr<CValueScale> rangeScale;
    RangeParts rangeShown;
    RangeParts rangeDrawn;

    bool mono;
    bool drawnMono;

    CBandsStrip bands;
};
