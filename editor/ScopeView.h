#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gui/Widget.h"

class CSkinBitmap;
class CValueScale;

// The goniometer: the points of the latest analysis block as single dots over
// the scope picture. Each redraw shows exactly the last set handed over.
class CScopeView : public CWidget
{
  public:
    // Half the width of the display in side/mid units.
    static constexpr float kRange = 1.6109737f;

    // The picture stays the caller's, who keeps it alive. Every dot starts
    // on the centre.
    CScopeView(const PortRect& rect, int32_t pointCount, CSkinBitmap* background);
    ~CScopeView() override;

    void paint(CPaintPort& port) override;
    // Redraws only when points arrived since the last redraw.
    void refresh(CPaintPort& port) override;

    // x runs from the left edge to the right, y from the bottom row up.
    void setScales(float xLow, float xHigh, float yLow, float yHigh, PortColor color);
    // Reads pointCount values from each array, now only.
    void setPoints(const float* xs, const float* ys);

    int32_t getPointCount() const { return pointCount; }
    PortPoint getPoint(int32_t index) const { return points[index]; }
    bool isChanged() const { return changed != 0; }

  private:
    int32_t pointCount;
    int32_t changed;
    std::vector<PortPoint> points;
    PortColor dotColor;
    CSkinBitmap* background;
    std::unique_ptr<CValueScale> xScale;
    std::unique_ptr<CValueScale> yScale;
};
