#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "editor/PaintView.h"

class CValueScale;

// The goniometer: the points of the latest analysis block as single dots over
// the scope picture. Each redraw shows exactly the last set handed over.
// The view keeps its picture: a frame puts back the background under the
// dots it drew last and writes the new ones, then copies the picture to the
// window.
class CScopeView : public CPaintView
{
  public:
    // Half the width of the display in side/mid units.
    static constexpr float kRange = kScopeRange;

    // The picture stays the caller's, who keeps it alive. Every dot starts
    // on the centre. A dot is a square of dotSize pixels a side, its top
    // left corner where its value lands.
    CScopeView(const PortRect& rect, int32_t pointCount, CSkinBitmap* background,
               int32_t dotSize = 1);
    ~CScopeView() override;

    // x runs from the left edge to the right, y from the bottom row up.
    void setScales(float xLow, float xHigh, float yLow, float yHigh, PortColor color);
    // Reads pointCount values from each array, now only. A redraw is due
    // when they put a dot somewhere else than the last one did.
    void setPoints(const float* xs, const float* ys);

    int32_t getPointCount() const { return pointCount; }
    PortPoint getPoint(int32_t index) const { return points[index]; }

  private:
    void compose(COffscreenPort& picture, bool fresh) override;

    int32_t pointCount;
    int32_t dotSize;
    std::vector<PortPoint> points;
    PortColor dotColor;
    std::unique_ptr<CValueScale> xScale;
    std::unique_ptr<CValueScale> yScale;
    // The positions in the picture last drawn, and where they put dots.
    std::vector<PortPoint> drawn;
    std::vector<int32_t> plotted;
};
