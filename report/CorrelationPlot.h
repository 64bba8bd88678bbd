#pragma once

#include <cstdint>
#include <vector>

#include "report/FileReport.h"
#include "report/RgbImage.h"

// The meter's correlation over a whole file: one column per block when the
// file has fewer blocks than the plot has columns, else each column spans
// the lowest and highest value of the blocks that fall on it, joined to the
// column before as one line. A column where no block is heard (every block
// below the gate) is drawn in grey. Built while
// the blocks stream by, so its memory does not grow with the file.
class CCorrelationPlot
{
  public:
    static constexpr int32_t kWidth = 1000;
    static constexpr int32_t kHeight = 200;
    // Where the values are drawn inside the picture.
    static constexpr int32_t kPlotLeft = 30;
    static constexpr int32_t kPlotTop = 14;
    static constexpr int32_t kPlotWidth = 960;
    static constexpr int32_t kPlotHeight = 160;

    // secondsPerBlock sets the time axis.
    CCorrelationPlot(int64_t blocks, double secondsPerBlock);

    void addBlock(int64_t index, float value, bool heard = true);
    // The zones in the meter's colours, the values, the passages numbered
    // in the order given, and the time axis.
    CRgbImage render(const std::vector<Passage>& passages) const;

    // The row of the plot a value is drawn at, +1 near the top.
    static int32_t rowOf(float value);
    // The column a time in seconds falls on.
    int32_t columnOf(double seconds) const;

  private:
    void drawTimeAxis(CRgbImage& image) const;

    int64_t blocks;
    double secondsPerBlock;
    std::vector<float> lows;
    std::vector<float> highs;
    std::vector<float> lasts;   // the column's last value, where the next column's line starts
    std::vector<uint8_t> heard; // a block of the column is at or above the gate
};
