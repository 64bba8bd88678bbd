#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "gui/Widget.h"

class CSkinBitmap;
class CValueScale;

// The correlation meter's pointer: a small filled triangle over a strip,
// green above +0.2, red below -0.2 and yellow in between.
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
    // Redraws after every setCorrelation, also with an unchanged value.
    void refresh(CPaintPort& port) override;

    void setCorrelation(float value);

    const PortPoint* getTriangle() const { return triangle.data(); }
    PortColor getColor() const { return currentColor; }
    bool isChanged() const { return changed != 0; }

  private:
    int32_t changed;
    PortColor negativeColor;
    PortColor neutralColor;
    PortColor positiveColor;
    std::array<PortPoint, 3> triangle;
    PortColor currentColor;
    CSkinBitmap* background;
    std::unique_ptr<CValueScale> scale;
};
