#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "editor/PaintView.h"
#include "render/PanelGeometry.h"

class CValueScale;

// The correlation meter's pointer: a small filled triangle over a strip,
// green above +0.2, red below -0.2 and yellow in between. The view keeps its
// picture and the triangle's shape, and redraws only when the pointer would
// land on other pixels or in another colour.
class CCorrelationPointerView : public CPaintView
{
  public:
    // The strip's ends lie a little beyond -1 and +1 (59/57), so that the
    // pointer's tip at +-1 meets the printed scale.
    static constexpr float kScaleBound = kPointerBound;

    // How far the triangle's base reaches to each side of its apex on the
    // 100 % panel.
    static constexpr int32_t kHalfBase = kPointerHalfBase;

    // The picture stays the caller's, who keeps it alive. Starts at 0. The
    // apex sits on the strip's top row, the base on its bottom row.
    CCorrelationPointerView(const PortRect& rect, CSkinBitmap* background,
                            int32_t halfBase = kHalfBase);
    ~CCorrelationPointerView() override;

    // A redraw is due when the pointer's pixels or colour change.
    void setCorrelation(float value);

    const PortPoint* getTriangle() const { return triangle.data(); }
    PortColor getColor() const { return currentColor; }

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
    void compose(COffscreenPort& picture, bool fresh) override;

    int32_t halfBase;
    int32_t baseRow;
    std::array<PortPoint, 3> triangle;
    PortColor currentColor;
    std::unique_ptr<CValueScale> scale;
    // The pixels the triangle covers when its apex is at column 0, as GDI
    // fills it.
    std::vector<PortPoint> shape;
    Shown shown;
};
