#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "gui/Widget.h"

class COffscreenPort;
class CSkinBitmap;
class CValueScale;

// The correlation meter's pointer: a small filled triangle over a strip,
// green above +0.2, red below -0.2 and yellow in between. The view keeps its
// picture and the triangle's shape, and redraws only when the pointer would
// land on other pixels or in another colour.
class CCorrelationPointerView : public CWidget
{
  public:
    // The strip's ends lie a little beyond -1 and +1 (59/57), so that the
    // pointer's tip at +-1 meets the printed scale.
    static constexpr float kScaleBound = 59.0f / 57.0f;

    // The picture stays the caller's, who keeps it alive. Starts at 0.
    CCorrelationPointerView(const PortRect& rect, CSkinBitmap* background);
    ~CCorrelationPointerView() override;

    void paint(CPaintPort& port) override;
    // Redraws when a setCorrelation moved the pointer's pixels.
    void refresh(CPaintPort& port) override;
    bool hasNews() const override { return changed != 0; }

    void setCorrelation(float value);

    const PortPoint* getTriangle() const { return triangle.data(); }
    PortColor getColor() const { return currentColor; }
    bool isChanged() const { return changed != 0; }

  private:
    // What the strip shows: the apex's column and the colour, or nothing
    // when the triangle lies off the strip.
    struct Shown
    {
        bool visible;
        int32_t x;
        uint32_t color;
        bool operator==(const Shown& other) const
        {
            return visible == other.visible && (!visible || (x == other.x && color == other.color));
        }
    };
    Shown wouldShow() const;
    // The pixels the triangle covers when its apex is at column 0, as GDI
    // fills it.
    void traceTriangle();

    int32_t changed;
    PortColor negativeColor;
    PortColor neutralColor;
    PortColor positiveColor;
    std::array<PortPoint, 3> triangle;
    PortColor currentColor;
    CSkinBitmap* background;
    std::unique_ptr<CValueScale> scale;
    std::unique_ptr<COffscreenPort> picture;
    std::vector<PortPoint> shape;
    Shown shown;
};
