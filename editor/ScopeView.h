#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gui/Widget.h"

class COffscreenPort;
class CSkinBitmap;
class CValueScale;

// The goniometer: the points of the latest analysis block as single dots over
// the scope picture. Each redraw shows exactly the last set handed over.
// The view keeps its picture: a frame puts back the background under the
// dots it drew last and writes the new ones, then copies the picture to the
// window.
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
    // Redraws only when points arrived since the last redraw that put a dot
    // somewhere else.
    void refresh(CPaintPort& port) override;
    bool hasNews() const override { return changed != 0; }

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
    std::unique_ptr<COffscreenPort> picture;
    // The positions in the picture last drawn, and where they put dots.
    std::vector<PortPoint> drawn;
    std::vector<int32_t> plotted;
};
